#include "about.h"

#include "Application.h"
#include "credits.h"

TForm2* Form2 = nullptr;

// TForm2

namespace {

constexpr ui::Rect kPictureArea{8, 8, scroller::kPictureWidth, scroller::kPictureHeight};

// One strip copy onto the back buffer: MERGEPAINT, clipped to the strip and the buffer.
void CopyStrip(ui::Picture& target, const ui::Picture* strip, const scroller::Box& source, int targetLeft,
               int targetTop) {
  if (!strip || strip->Empty() || target.Empty()) return;
  const scroller::StripCopy copy = scroller::ClipStripCopy(source, strip->Width(), strip->Height(), targetLeft,
                                                           targetTop, target.Width(), target.Height());
  if (copy.Empty()) return;
  BitBlt(target.Canvas(), static_cast<int>(copy.targetLeft), static_cast<int>(copy.targetTop),
         static_cast<int>(copy.source.Width()), static_cast<int>(copy.source.Height()), strip->Canvas(),
         static_cast<int>(copy.source.left), static_cast<int>(copy.source.top), MERGEPAINT);
}

}  // namespace

TForm2::TForm2(const ModPlugLibrary& library)
    : ui::Form({.caption = "Vellmark Credits",
                .clientWidth = 323,
                .clientHeight = 273,
                .border = ui::BorderStyle::Single,
                .minimizeBox = false,
                .maximizeBox = false,
                .position = ui::Position::ScreenCenter}),
      Image1(*this, {.bounds = kPictureArea, .jpegResource = "CREDITS_BACK", .visible = false}),
      Image2(*this, {.bounds = kPictureArea, .jpegResource = "CREDITS_HIDDEN", .visible = false}),
      Bevel1(*this, {.bounds = {8, 8, 309, 231}}),
      Image3(*this, {.bounds = kPictureArea, .visible = false}),
      Image4(*this, {.bounds = kPictureArea}),
      ModulePlayer1Panel(*this, {.bounds = {288, 16, 25, 25}, .visible = false}),
      ModulePlayer1(ModulePlayer1Panel.hwnd(), library),
      Button1(*this, {.bounds = {8, 244, 308, 25}, .caption = "Thanks to that mates for making this tool"}),
      Memo1(*this, {.bounds = {288, 48, 25, 25}, .scrollBars = false}),
      Memo2(*this, {.bounds = {256, 48, 25, 25}, .scrollBars = false}) {
  // Back to front; the button ends on top and so first in tab order. The bevel only draws its frame, but
  // as a window it would hide the pictures behind it, so it goes to the back.
  SetWindowLongA(Bevel1.hwnd(), GWL_STYLE, GetWindowLongA(Bevel1.hwnd(), GWL_STYLE) | WS_CLIPSIBLINGS);
  for (ui::Window* control : std::initializer_list<ui::Window*>{&Bevel1, &Image1, &Image2, &Image3, &Image4,
                                                                &ModulePlayer1Panel, &Memo1, &Memo2, &Button1}) {
    SetWindowPos(control->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  HINSTANCE instance = ui::Application::Instance();
  if (HANDLE icon = LoadImageA(instance, "CREDITS_ICON", IMAGE_ICON, 32, 32, LR_SHARED)) {
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  }
  if (HANDLE icon = LoadImageA(instance, "CREDITS_ICON", IMAGE_ICON, 16, 16, LR_SHARED)) {
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }

  ModulePlayer1Panel.SetText("MOD");
  ModulePlayer1.Caption = "MOD";
  ModulePlayer1.Width = 25;
  ModulePlayer1.Height = 25;
  ModulePlayer1.LoopSong = true;
  ModulePlayer1.SpectrumHide = false;
  ModulePlayer1.SpectrumStereo = false;
  ModulePlayer1.SongName = "credits.mod";

  for (ui::Memo* memo : {&Memo1, &Memo2}) {
    memo->SetVisible(false);
    memo->SetEnabled(false);
  }
  Memo1.SetLines(CreditsLines());
  Memo2.SetLines(LinkLines());

  Button1.onClick = [this] { Button1Click(); };
  Timer1.onTimer = [this] { Timer1Timer(); };
  Timer2.onTimer = [this] { Timer2Timer(); };
  FormCreate();
}

TForm2::~TForm2() {
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  FormDestroy();
}

void TForm2::FormCreate() {
  ModulePlayer1.Init();
  ModulePlayer1.Load();

  BigText = scroller::JoinBigText(Memo1.Lines());
  Memo1.Clear();
  SmallText = scroller::JoinSmallText(Memo2.Lines());
  Memo2.Clear();

  BigStrip = std::make_unique<ui::Picture>(scroller::BigStripWidth(BigText.size()), scroller::kBigStripHeight);
  SmallStrip = std::make_unique<ui::Picture>(scroller::SmallStripWidth(SmallText.size()), scroller::kSmallStripHeight);

  BigStrip->SetFont("Arial Narrow", 24, true, RGB(0, 0, 0));
  BigWidth = scroller::ScrollWidth(BigStrip->TextWidth(BigText));
  BigStrip->WriteText(scroller::kLeadIn, 0, BigText);

  SmallStrip->SetFont("Arial", 10, true, RGB(0, 0, 255));
  SmallWidth = scroller::ScrollWidth(SmallStrip->TextWidth(SmallText));
  SmallStrip->WriteText(0, 0, SmallText);

  SmallX = SmallWidth;
}

void TForm2::FormShow() {
  ModulePlayer1.Play();
  if (!Image3.Picture) {
    Image3.Picture = std::make_unique<ui::Picture>(scroller::kPictureWidth, scroller::kPictureHeight);
  }
  if (Image1.Picture) Image3.Picture->Draw(0, 0, *Image1.Picture);
  Timer2.SetEnabled(true);
  Bounce = scroller::kBounceStart;
}

void TForm2::Timer2Timer() {
  if (!Image3.Picture) return;
  ui::Picture& back = *Image3.Picture;
  if (Image1.Picture) back.Draw(0, 0, *Image1.Picture);

  SmallX = scroller::NextSmallX(SmallX, SmallWidth);
  CopyStrip(back, SmallStrip.get(), scroller::SmallSource(SmallX), 0, 0);

  BigX = scroller::NextBigX(BigX, BigWidth);
  scroller::StepBounce(Bounce);
  CopyStrip(back, BigStrip.get(), scroller::BigSource(BigX), 0, scroller::BounceTop(Bounce.Y));

  if (!Image4.Picture) Image4.Picture = std::make_unique<ui::Picture>(back.Width(), back.Height());
  Image4.Picture->Draw(0, 0, back);
  Image4.Changed();
}

void TForm2::FormMouseWheelDown() {
  Image4.SetVisible(false);
  Image2.SetVisible(true);
  Timer1.SetEnabled(true);
  Timer2.SetEnabled(false);
}

void TForm2::Timer1Timer() {
  Image2.SetVisible(false);
  Image4.SetVisible(true);
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(true);
}

void TForm2::Button1Click() { Close(); }

void TForm2::FormClose() {
  ModulePlayer1.Stop();
  Timer1.SetEnabled(false);
  if (onClosed) onClosed();
}

void TForm2::FormDestroy() {
  ModulePlayer1.Deinit();
  Image2.Picture.reset();
  BigStrip.reset();
  SmallStrip.reset();
}

LRESULT TForm2::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  // The wheel turned towards the user; the message goes on unhandled.
  if (message == WM_MOUSEWHEEL && GET_WHEEL_DELTA_WPARAM(wparam) < 0) ui::RunGuarded([this] { FormMouseWheelDown(); });
  return ui::Form::HandleMessage(message, wparam, lparam);
}
