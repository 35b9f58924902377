#include "Controls.h"

#include "Application.h"

namespace ui {

namespace {
// Texts and positions that change for every archive are drawn at most this often.
constexpr DWORD kRedrawMs = 25;

DWORD TabStop(bool on) { return on ? WS_TABSTOP : 0; }

// A glyph as a masked image list; the bottom-left pixel's colour is transparent, as with designer glyphs.
HIMAGELIST LoadGlyph(int resource) {
  HBITMAP glyph = static_cast<HBITMAP>(
      LoadImageA(Application::Instance(), MAKEINTRESOURCEA(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!glyph) return nullptr;
  BITMAP info;
  GetObject(glyph, sizeof info, &info);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, glyph);
  const COLORREF transparent = GetPixel(dc, 0, info.bmHeight - 1);
  SelectObject(dc, old);
  DeleteDC(dc);
  HIMAGELIST list = ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLOR24 | ILC_MASK, 1, 0);
  if (list) ImageList_AddMasked(list, glyph, transparent);
  DeleteObject(glyph);
  return list;
}

// A glyph as an icon, which every kind of button draws with its transparent parts.
HICON LoadGlyphIcon(int resource) {
  HIMAGELIST list = LoadGlyph(resource);
  if (!list) return nullptr;
  HICON icon = ImageList_GetIcon(list, 0, ILD_NORMAL);
  ImageList_Destroy(list);
  return icon;
}
}  // namespace

// Button

Button::Button(Window& parent, const Args& args) {
  // A glyph alone is shown as an icon: a button's image list needs common controls 6, which may not be there.
  const bool glyphOnly = args.glyph && args.caption.empty();
  CreateControl(parent, WC_BUTTONA, args.bounds,
                WS_VISIBLE | TabStop(args.tabStop) | (args.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) |
                    (glyphOnly ? BS_ICON : 0),
                0, args.caption);
  if (glyphOnly) {
    glyphIcon_ = LoadGlyphIcon(args.glyph);
    SendMessageA(hwnd_, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyphIcon_));
  } else if (args.glyph) {
    glyphList_ = LoadGlyph(args.glyph);
    BUTTON_IMAGELIST list{glyphList_, {2, 0, 2, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
    if (glyphList_) SendMessageA(hwnd_, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
  }
}

Button::~Button() {
  if (glyphIcon_) DestroyIcon(glyphIcon_);
  if (glyphList_) ImageList_Destroy(glyphList_);
}

bool Button::OnCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  Click();
  return true;
}

// SpeedButton

SpeedButton::SpeedButton(Window& parent, const Args& args) {
  CreateControl(parent, WC_BUTTONA, args.bounds, WS_VISIBLE | BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_ICON);
  if (args.glyph) {
    glyphIcon_ = LoadGlyphIcon(args.glyph);
    SendMessageA(hwnd_, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyphIcon_));
  }
  SetDown(args.down);
}

SpeedButton::~SpeedButton() {
  if (glyphIcon_) DestroyIcon(glyphIcon_);
}

bool SpeedButton::Down() const { return SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SpeedButton::SetDown(bool down) { SendMessageA(hwnd_, BM_SETCHECK, down ? BST_CHECKED : BST_UNCHECKED, 0); }

void SpeedButton::Click() {
  SetDown(!Down());
  Fire(onClick);
}

bool SpeedButton::OnCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  Fire(onClick);  // the button has toggled itself already
  return true;
}

// Edit

Edit::Edit(Window& parent, const Args& args) {
  CreateControl(parent, WC_EDITA, args.bounds,
                WS_VISIBLE | ES_AUTOHSCROLL | TabStop(args.tabStop) | (args.readOnly ? ES_READONLY : 0),
                WS_EX_CLIENTEDGE, args.text);
  Subclass();
}

std::string Edit::Text() const {
  if (stale_) {
    text_ = Window::Text();
    stale_ = false;
  }
  return text_;
}

bool Edit::OnCommand(WORD code) {
  if (code == EN_CHANGE) stale_ = true;
  return false;
}

LRESULT Edit::HandleSubclassed(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_SETTEXT) stale_ = true;
  const LRESULT result = CallOriginal(message, wparam, lparam);
  if (message == WM_LBUTTONUP && onClick) Fire(onClick);
  return result;
}

// CheckBox

CheckBox::CheckBox(Window& parent, const Args& args) {
  CreateControl(parent, WC_BUTTONA, args.bounds, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, args.caption);
  WidenToCaption(true);
  SetChecked(args.checked);
}

bool CheckBox::Checked() const { return SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void CheckBox::SetChecked(bool checked) { SendMessageA(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }

void CheckBox::Click() {
  SetChecked(!Checked());
  Fire(onClick);
}

bool CheckBox::OnCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  Fire(onClick);
  return true;
}

// Label

Label::Label(Window& parent, const Args& args) : color_(args.color) {
  Rect bounds = args.bounds;
  HFONT font = args.bold ? BoldFont() : DefaultFont();
  if (bounds.height == 0) bounds.height = 13;
  // A width of 0 is the caption's: the widening below measures it.
  CreateControl(parent, WC_STATICA, bounds, WS_VISIBLE | SS_NOPREFIX | (args.centered ? SS_CENTER : SS_LEFT), 0,
                args.caption);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  WidenToCaption(false);
}

HBRUSH Label::OnControlColor(HDC dc) {
  if (color_ == CLR_INVALID) return nullptr;
  SetTextColor(dc, color_);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

// Bevel

Bevel::Bevel(Window& parent, const Args& args) {
  CreateControl(parent, WC_STATICA, args.bounds,
                WS_VISIBLE | (args.shape == Shape::Box ? SS_ETCHEDFRAME : SS_ETCHEDHORZ));
}

// GroupBox

GroupBox::GroupBox(Window& parent, const Args& args) {
  CreateControl(parent, WC_BUTTONA, args.bounds, WS_VISIBLE | BS_GROUPBOX, 0, args.caption);
}

// StatusBar

StatusBar::StatusBar(Window& parent) {
  CreateControl(parent, STATUSCLASSNAMEA, {0, 0, 0, 0}, WS_VISIBLE | CCS_BOTTOM);
  SendMessageA(hwnd_, SB_SIMPLE, TRUE, 0);
  Subclass();
}

bool RedrawThrottle::DrawNow(HWND control) {
  if (GetTickCount() - drawnAt_ >= kRedrawMs) return true;
  if (!pending_) {
    pending_ = true;
    SetTimer(control, kTimerId, kRedrawMs, nullptr);
  }
  return false;
}

void RedrawThrottle::Drawn(HWND control) {
  if (pending_) KillTimer(control, kTimerId);
  pending_ = false;
  drawnAt_ = GetTickCount();
}

void StatusBar::SetSimpleText(const std::string& text) {
  text_ = text;
  if (throttle_.DrawNow(hwnd_)) Show();
}

void StatusBar::Show() {
  throttle_.Drawn(hwnd_);
  SendMessageA(hwnd_, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text_.c_str()));
}

LRESULT StatusBar::HandleSubclassed(UINT message, WPARAM wparam, LPARAM lparam) {
  if (!RedrawThrottle::IsItsTimer(message, wparam)) return CallOriginal(message, wparam, lparam);
  Show();
  return 0;
}

// ProgressBar

ProgressBar::ProgressBar(Window& parent, const Args& args) {
  CreateControl(parent, PROGRESS_CLASSA, args.bounds, (args.visible ? WS_VISIBLE : 0) | (args.smooth ? PBS_SMOOTH : 0));
  SetMax(100);
  Subclass();
}

void ProgressBar::SetMax(int max) {
  max_ = max;
  SendMessageA(hwnd_, PBM_SETRANGE32, 0, max);
}

void ProgressBar::SetPosition(int position) {
  if (position == position_) return;
  position_ = position;
  if (throttle_.DrawNow(hwnd_)) Show();
  Fire(onChange);
}

void ProgressBar::Show() {
  throttle_.Drawn(hwnd_);
  SendMessageA(hwnd_, PBM_SETPOS, position_, 0);
}

LRESULT ProgressBar::HandleSubclassed(UINT message, WPARAM wparam, LPARAM lparam) {
  if (!RedrawThrottle::IsItsTimer(message, wparam)) return CallOriginal(message, wparam, lparam);
  Show();
  return 0;
}

// UpDown

UpDown::UpDown(Window& parent, const Args& args) {
  CreateControl(parent, UPDOWN_CLASSA, args.bounds, WS_VISIBLE | (args.horizontal ? UDS_HORZ : 0));
  SendMessageA(hwnd_, UDM_SETRANGE32, 0, 100);
  SendMessageA(hwnd_, UDM_SETPOS32, 0, 50);
}

void UpDown::Click(Button which) {
  if (onClick) RunGuarded([&] { onClick(which); });
}

bool UpDown::OnNotify(NMHDR* header, LRESULT& result) {
  if (header->code != UDN_DELTAPOS) return false;
  auto* delta = reinterpret_cast<NMUPDOWN*>(header);
  Click(delta->iDelta > 0 ? Button::Next : Button::Previous);
  result = 0;
  return true;
}

// Memo

Memo::Memo(Window& parent, const Args& args) {
  DWORD style = WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | (args.readOnly ? ES_READONLY : 0);
  if (args.scrollBars) style |= WS_VSCROLL | WS_HSCROLL;
  if (!args.wordWrap) style |= ES_AUTOHSCROLL;
  style |= ES_AUTOVSCROLL;
  CreateControl(parent, WC_EDITA, args.bounds, style, WS_EX_CLIENTEDGE);
  SendMessageA(hwnd_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
  Subclass();
}

void Memo::Clear() {
  lines_.clear();
  Changed();
}

void Memo::Add(const std::string& line) {
  lines_.push_back(line);
  Changed();
}

void Memo::SetLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  Changed();
}

void Memo::SetFont(HFONT font, UINT codePage) {
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (codePage != codePage_) {
    codePage_ = codePage;
    stale_ = true;
    if (IsWindowVisible(hwnd_)) Refresh();
  }
}

void Memo::Changed() {
  stale_ = true;
  if (IsWindowVisible(hwnd_)) Refresh();
}

void Memo::Refresh() {
  if (!stale_) return;
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += "\r\n";
    text += lines_[i];
  }
  // The bytes stay as they are; only their display follows the font's code page.
  const int length = MultiByteToWideChar(codePage_, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage_, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  SetWindowTextW(hwnd_, wide.c_str());
  stale_ = false;
}

LRESULT Memo::HandleSubclassed(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_SHOWWINDOW && wparam) Refresh();
  if (message == WM_PAINT && stale_) Refresh();
  return CallOriginal(message, wparam, lparam);
}

// ListBox

ListBox::ListBox(Window& parent, const Args& args) : typeAhead_(args.typeAhead) {
  CreateControl(parent, WC_LISTBOXA, args.bounds,
                WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE);
  if (!typeAhead_) Subclass();
}

LRESULT ListBox::HandleSubclassed(UINT message, WPARAM wparam, LPARAM lparam) {
  // The control's own search on typed characters is all that WM_CHAR does in a list box.
  if (message == WM_CHAR && !typeAhead_) return 0;
  return CallOriginal(message, wparam, lparam);
}

void ListBox::Clear() { SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0); }
void ListBox::Add(const std::string& item) {
  SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}
int ListBox::Count() const { return static_cast<int>(SendMessageA(hwnd_, LB_GETCOUNT, 0, 0)); }

std::string ListBox::Item(int index) const {
  const LRESULT length = SendMessageA(hwnd_, LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(hwnd_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

void ListBox::SetItem(int index, const std::string& item) {
  if (index < 0 || index >= Count()) return;
  const int selected = ItemIndex();
  SendMessageA(hwnd_, LB_DELETESTRING, index, 0);
  SendMessageA(hwnd_, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(item.c_str()));
  SetItemIndex(selected);
}

int ListBox::ItemIndex() const { return static_cast<int>(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0)); }
void ListBox::SetItemIndex(int index) { SendMessageA(hwnd_, LB_SETCURSEL, index, 0); }

bool ListBox::OnCommand(WORD code) {
  if (code == LBN_SELCHANGE) {
    Fire(onClick);
    return true;
  }
  if (code == LBN_DBLCLK) {
    Fire(onDblClick);
    return true;
  }
  return false;
}

}  // namespace ui
