#include "viewer.h"

#include <string>

TForm3* Form3 = nullptr;

namespace {
using ui::Rect;
namespace layout {
constexpr Rect Memo1{8, 8, 433, 337};
constexpr Rect Button1{360, 352, 81, 25};
constexpr Rect Button2{8, 352, 89, 25};
constexpr Rect Button3{202, 352, 89, 25};
constexpr Rect Button4{105, 352, 89, 25};
}  // namespace layout
}  // namespace

TForm3::TForm3()
    : ui::Form({.caption = "File_Id.DIZ Viewer",
                .clientWidth = 449,
                .clientHeight = 383,
                .border = ui::BorderStyle::Sizeable,
                .position = ui::Position::MainFormCenter}),
      Memo1(*this, {.bounds = layout::Memo1, .readOnly = true, .scrollBars = true, .wordWrap = false}),
      Button1(*this, {.bounds = layout::Button1, .caption = "Close"}),
      Button2(*this, {.bounds = layout::Button2, .caption = "Arial 10pt"}),
      Button3(*this, {.bounds = layout::Button3, .caption = "Terminal 14 pt"}),
      Button4(*this, {.bounds = layout::Button4, .caption = "Terminal 9 pt"}) {
  Button1.onClick = [this] { Button1Click(); };
  Button2.onClick = [this] { Button2Click(); };
  Button3.onClick = [this] { Button3Click(); };
  Button4.onClick = [this] { Button4Click(); };
  SetMemoFont("Terminal", 9, true);
  FormCreate();
}

TForm3::~TForm3() {
  if (font_) DeleteObject(font_);
}

void TForm3::ShowDescription(const std::vector<std::string>& lines) {
  Memo1.SetLines(lines);
  ShowModal();
}

void TForm3::FormCreate() {
  RECT outer;
  GetWindowRect(hwnd(), &outer);
  const int w = outer.right - outer.left, h = outer.bottom - outer.top;
  const ui::Rect memo = Memo1.Bounds(), close = Button1.Bounds();
  MarginW = w - memo.width;
  MarginH = h - memo.height;
  ButtonsFromBottom = h - close.top;
  CloseFromRight = w - close.left;
  const SIZE client = ClientSize();
  SetMinTrackSize(client.cx, client.cy);
}

void TForm3::FormResize() {
  if (MarginW == 0) return;  // not laid out yet
  RECT outer;
  GetWindowRect(hwnd(), &outer);
  const int w = outer.right - outer.left, h = outer.bottom - outer.top;
  Memo1.SetBounds({8, 8, w - MarginW, h - MarginH});
  const int top = h - ButtonsFromBottom;
  Button2.SetBounds({8, top, 89, 25});
  Button4.SetBounds({105, top, 89, 25});
  Button3.SetBounds({202, top, 89, 25});
  Button1.SetBounds({w - CloseFromRight, top, 81, 25});
}

void TForm3::Button1Click() { Close(); }
void TForm3::Button2Click() { SetMemoFont("Arial", 10, false); }
void TForm3::Button4Click() { SetMemoFont("Terminal", 9, true); }
void TForm3::Button3Click() { SetMemoFont("Terminal", 14, true); }

void TForm3::SetMemoFont(const char* name, int points, bool fixedPitch) {
  HDC dc = GetDC(nullptr);
  const int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(nullptr, dc);
  // Terminal is an OEM font: asked for by name it brings the DOS code page's glyphs, box drawing included.
  const BYTE charset = std::string(name) == "Terminal" ? OEM_CHARSET : DEFAULT_CHARSET;
  HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           (fixedPitch ? FIXED_PITCH : VARIABLE_PITCH) | (fixedPitch ? FF_MODERN : FF_SWISS), name);
  Memo1.SetFont(font, charset == OEM_CHARSET ? CP_OEMCP : CP_ACP);
  if (font_) DeleteObject(font_);
  font_ = font;
}
