// The credits window: start-up, strips, frames, the wheel picture, showing and closing.
#include "window_pictures.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Application.h"
#include "about.h"
#include "credits_player.h"
#include "credits.h"
#include "scroller.h"
#include "test_support.h"

namespace {

// The real library, with every call written down.
std::vector<std::string> playerCalls;

ModPlugHandle WINAPI RecordCreateEx(const char* params) {
  playerCalls.push_back(std::string("CreateEx ") + params);
  return ImportedModPlugLibrary().CreateEx(params);
}
BOOL WINAPI RecordSetWindow(ModPlugHandle h, HWND window) {
  playerCalls.push_back("SetWindow " + std::to_string(reinterpret_cast<std::uintptr_t>(window)));
  return ImportedModPlugLibrary().SetWindow(h, window);
}
BOOL WINAPI RecordLoad(ModPlugHandle h, const char* name) {
  playerCalls.push_back(std::string("Load ") + name);
  return ImportedModPlugLibrary().Load(h, name);
}
BOOL WINAPI RecordIsReady(ModPlugHandle h) {
  const BOOL ready = ImportedModPlugLibrary().IsReady(h);
  playerCalls.push_back(std::string("IsReady ") + (ready ? "yes" : "no"));
  return ready;
}
BOOL WINAPI RecordPlay(ModPlugHandle h) {
  playerCalls.push_back("Play");
  return ImportedModPlugLibrary().Play(h);
}
BOOL WINAPI RecordStop(ModPlugHandle h) {
  playerCalls.push_back("Stop");
  return ImportedModPlugLibrary().Stop(h);
}
BOOL WINAPI RecordDestroy(ModPlugHandle h) {
  playerCalls.push_back("Destroy");
  return ImportedModPlugLibrary().Destroy(h);
}
std::int32_t WINAPI RecordGetVersion() { return ImportedModPlugLibrary().GetVersion(); }

const ModPlugLibrary kRecording{RecordCreateEx, RecordSetWindow, RecordLoad,    RecordIsReady,
                                RecordPlay,     RecordStop,      RecordDestroy, RecordGetVersion};

// The main form, standing in for the window that opens the credits.
ui::Form* opener = nullptr;

// The credits window on the recording library, showing the opener again when it closes.
void MakeCredits() {
  Form2 = new TForm2(kRecording);
  Form2->onClosed = [] { opener->Show(); };
}

class CreditsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ui::Application::Initialize();
    ui::Application::SetTitle("Vellmark Quennick Extractor");
    opener = new ui::Form({.caption = "Opener", .clientWidth = 320, .clientHeight = 200});
  }
  void TearDown() override {
    delete Form2;
    Form2 = nullptr;
    delete opener;
    opener = nullptr;
    ui::Application::Finalize();
  }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new CreditsEnvironment);

// Each test gets a credits window of its own, as at program start, so the tests pass in any order.
class CreditsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    delete Form2;
    Form2 = nullptr;
    playerCalls.clear();
    MakeCredits();
    startUpCalls = playerCalls;
    playerCalls.clear();
  }
  void TearDown() override {
    if (Form2 && Form2->Visible()) Form2->Close();
    opener->Hide();
  }
  std::vector<std::string> startUpCalls;
};

// Pixels of a picture, row by row.
std::vector<COLORREF> Pixels(const ui::Picture& picture) {
  GdiFlush();
  DIBSECTION dib{};
  GetObject(GetCurrentObject(picture.Canvas(), OBJ_BITMAP), sizeof dib, &dib);
  const auto* bits = static_cast<const std::uint8_t*>(dib.dsBm.bmBits);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* row = bits + static_cast<size_t>(y) * dib.dsBm.bmWidthBytes;
    for (int x = 0; x < picture.Width(); ++x) pixels.push_back(RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]));
  }
  return pixels;
}

COLORREF At(const std::vector<COLORREF>& pixels, const ui::Picture& picture, int x, int y) {
  return pixels[static_cast<size_t>(y) * picture.Width() + x];
}

bool IsWhite(COLORREF c) { return c == RGB(255, 255, 255); }

// The window as it is on screen, as a 24-bit BMP file.

void Pump(int milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < static_cast<DWORD>(milliseconds)) {
    ui::Application::ProcessMessages();
    Sleep(5);
  }
}

// Pumps until done() holds, for at most ten seconds however busy the machine is.
template <typename Done>
bool PumpUntil(const Done& done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > 10000) return false;
    ui::Application::ProcessMessages();
    Sleep(5);
  }
  return true;
}

// CPU time this thread has used, in milliseconds: unlike the wall clock, other work on the machine leaves it be.
double ThreadMilliseconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& t) {
    return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

// Opened as the main window opens it: it hides itself, then shows the credits.
void OpenCredits() {
  opener->Hide();
  Form2->Show();
}

void WheelDown() { SendMessageA(Form2->hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0); }

// What one frame must look like: the background, then each strip copy merged as destination OR NOT source,
// with strip pixels outside a strip counting as blank.
std::vector<COLORREF> ExpectedFrame(std::int32_t smallX, std::int32_t bigX, int top) {
  const ui::Picture& background = *Form2->Image1.Picture;
  std::vector<COLORREF> frame = Pixels(background);
  const auto merge = [&](const ui::Picture& strip, std::int64_t sourceLeft, int targetTop) {
    const std::vector<COLORREF> source = Pixels(strip);
    for (int y = 0; y < strip.Height(); ++y) {
      for (int x = 0; x < scroller::kPictureWidth; ++x) {
        const std::int64_t sx = sourceLeft + x;
        const int ty = targetTop + y;
        if (sx < 0 || sx >= strip.Width() || ty >= scroller::kPictureHeight) continue;
        COLORREF& d = frame[static_cast<size_t>(ty) * scroller::kPictureWidth + x];
        d = (d | ~At(source, strip, static_cast<int>(sx), y)) & 0xFFFFFF;
      }
    }
  };
  merge(*Form2->SmallStrip, std::int64_t{smallX} - scroller::kPictureWidth, 0);
  merge(*Form2->BigStrip, bigX, top);
  return frame;
}

// A picture drawn partly or wholly outside another lands only where the two overlap, from the right place.
TEST(Picture, DrawIsClippedToTheTarget) {
  ui::Picture source(4, 3);
  PatBlt(source.Canvas(), 0, 0, 4, 3, BLACKNESS);
  SetPixelV(source.Canvas(), 2, 0, RGB(255, 0, 0));
  ui::Picture target(5, 5);
  target.Draw(-2, 3, source);
  const std::vector<COLORREF> pixels = Pixels(target);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      const COLORREF expected =
          x == 0 && y == 3 ? RGB(255, 0, 0) : (x < 2 && y >= 3 ? RGB(0, 0, 0) : RGB(255, 255, 255));
      EXPECT_EQ(At(pixels, target, x, y), expected) << x << "," << y;
    }
  }
  for (const POINT at : {POINT{INT_MAX, 0}, POINT{0, INT_MIN}, POINT{-4, 0}, POINT{5, 5}})
    target.Draw(at.x, at.y, source);
  EXPECT_EQ(Pixels(target), pixels) << "nothing of the source lands inside";
}

TEST_F(CreditsWindow, StartUpPreparesAndLoadsTheTune) {
  const std::vector<std::string> expected{
      "CreateEx " + BuildParameterString(CreditsPlayer()),
      "SetWindow " + std::to_string(reinterpret_cast<std::uintptr_t>(Form2->ModulePlayer1Panel.hwnd())),
      "Load credits.mod", "IsReady yes"};
  EXPECT_EQ(startUpCalls, expected);
}

TEST_F(CreditsWindow, StripsHoldTheTextsInTheirFonts) {
  ASSERT_EQ(CreditsLines().size(), 100u);
  EXPECT_EQ(Form2->BigText, scroller::JoinBigText(CreditsLines()));
  EXPECT_NE(Form2->BigText.find("mouse wheel"), std::string::npos);
  EXPECT_EQ(Form2->SmallText, scroller::JoinSmallText(LinkLines()));
  ASSERT_TRUE(Form2->BigStrip && Form2->SmallStrip);
  EXPECT_EQ(Form2->BigStrip->Width(), static_cast<int>(Form2->BigText.size()) * 14 + 320);
  EXPECT_EQ(Form2->BigStrip->Height(), 37);
  EXPECT_EQ(Form2->SmallStrip->Width(), static_cast<int>(Form2->SmallText.size()) * 10 + 320);
  EXPECT_EQ(Form2->SmallStrip->Height(), 16);
  EXPECT_GT(Form2->BigWidth, 320 + static_cast<std::int32_t>(Form2->BigText.size()) * 5);
  EXPECT_GT(Form2->SmallWidth, 320 + static_cast<std::int32_t>(Form2->SmallText.size()) * 3);

  const std::vector<COLORREF> big = Pixels(*Form2->BigStrip);
  int black = 0;
  for (int y = 0; y < Form2->BigStrip->Height(); ++y) {
    for (int x = 0; x < Form2->BigStrip->Width(); ++x) {
      const COLORREF c = At(big, *Form2->BigStrip, x, y);
      if (x < 320) {
        ASSERT_TRUE(IsWhite(c)) << x << "," << y;  // the blank lead-in
      }
      if (c == RGB(0, 0, 0)) ++black;
      ASSERT_EQ(GetRValue(c), GetBValue(c));  // black text on white: greys at most
    }
  }
  EXPECT_GT(black, 1000);

  const std::vector<COLORREF> small = Pixels(*Form2->SmallStrip);
  int blue = 0;
  for (int y = 0; y < Form2->SmallStrip->Height(); ++y) {
    for (int x = 0; x < Form2->SmallStrip->Width(); ++x) {
      const COLORREF c = At(small, *Form2->SmallStrip, x, y);
      if (c == RGB(0, 0, 255)) ++blue;
      ASSERT_EQ(GetBValue(c), 255);  // blue text on white
    }
    EXPECT_TRUE(IsWhite(At(small, *Form2->SmallStrip, Form2->SmallStrip->Width() - 1, y)));  // ends blank
  }
  EXPECT_GT(blue, 200);
}

TEST_F(CreditsWindow, ShowingPlaysTheTuneAndStartsTheFrames) {
  OpenCredits();
  EXPECT_EQ(playerCalls, std::vector<std::string>{"Play"});
  EXPECT_TRUE(Form2->Visible());
  EXPECT_FALSE(opener->Visible());
  EXPECT_TRUE(Form2->Timer2.Enabled());
  EXPECT_FALSE(Form2->Timer1.Enabled());
  EXPECT_EQ(Form2->Bounce.Speed, -16.0);
  EXPECT_EQ(Form2->Bounce.Y, 0.0);
  EXPECT_EQ(Form2->Bounce.ApexCount, 0);
  // The back buffer starts as the background.
  EXPECT_EQ(Pixels(*Form2->Image3.Picture), Pixels(*Form2->Image1.Picture));
}

TEST_F(CreditsWindow, FrameIsBackgroundMergedWithBothStrips) {
  OpenCredits();
  Form2->SmallX = 401;
  Form2->BigX = 598;
  Form2->Bounce.Y = 50.0;
  Form2->Bounce.Speed = -1.0;  // stays at 50 for this frame
  Form2->Timer2Timer();
  ASSERT_EQ(Form2->SmallX, 400);
  ASSERT_EQ(Form2->BigX, 600);
  ASSERT_EQ(Form2->Bounce.Y, 50.0);
  const std::vector<COLORREF> frame = Pixels(*Form2->Image3.Picture);
  EXPECT_EQ(frame, ExpectedFrame(400, 600, 50));
  EXPECT_NE(frame, Pixels(*Form2->Image1.Picture));  // the texts show
  EXPECT_EQ(Pixels(*Form2->Image4.Picture), frame);  // shown whole
}

TEST_F(CreditsWindow, FramesKeepUpWithTheirFortyMilliseconds) {
  OpenCredits();
  const double start = ThreadMilliseconds();
  for (int frame = 0; frame < 100; ++frame) Form2->Timer2Timer();
  const double took = ThreadMilliseconds() - start;
  std::printf("100 frames: %.0f ms of CPU time\n", took);
  EXPECT_LT(took, 100 * 40.0);
}

TEST_F(CreditsWindow, StripCopiesNeverReachOutsideTheStrips) {
  OpenCredits();
  const std::int32_t savedWidth = Form2->BigWidth;
  Form2->BigWidth = Form2->BigStrip->Width() + 1000;  // as when the measured text outruns its strip
  Form2->SmallX = 51;
  Form2->BigX = Form2->BigStrip->Width() - 102;
  Form2->Bounce.Y = 100.0;
  Form2->Bounce.Speed = -1.0;
  Form2->Timer2Timer();
  Form2->BigWidth = savedWidth;
  ASSERT_EQ(Form2->SmallX, 50);
  ASSERT_EQ(Form2->BigX, Form2->BigStrip->Width() - 100);
  const ui::Picture& back = *Form2->Image3.Picture;
  const std::vector<COLORREF> frame = Pixels(back);
  const std::vector<COLORREF> background = Pixels(*Form2->Image1.Picture);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 257; ++x) ASSERT_EQ(At(frame, back, x, y), At(background, back, x, y)) << x << "," << y;
  }
  for (int y = 100; y < 137; ++y) {
    for (int x = 100; x < 307; ++x) ASSERT_EQ(At(frame, back, x, y), At(background, back, x, y)) << x << "," << y;
  }
  EXPECT_EQ(frame, ExpectedFrame(50, Form2->BigStrip->Width() - 100, 100));
  // The big line at the floor: its rows below the picture area are dropped.
  Form2->Bounce.Y = 196.0;
  Form2->Bounce.Speed = 0.0;
  Form2->BigX = 398;
  Form2->SmallX = 0;
  Form2->Timer2Timer();
  EXPECT_EQ(Pixels(back), ExpectedFrame(Form2->SmallWidth, 400, 196));
}

TEST_F(CreditsWindow, ClosingStopsTheTuneAndShowsTheMainWindow) {
  OpenCredits();
  playerCalls.clear();
  const std::int32_t bigX = Form2->BigX;
  Form2->Button1Click();
  EXPECT_EQ(playerCalls, std::vector<std::string>{"Stop"});
  EXPECT_FALSE(Form2->Visible());
  EXPECT_TRUE(opener->Visible());
  EXPECT_FALSE(Form2->Timer1.Enabled());
  EXPECT_TRUE(Form2->Timer2.Enabled());  // frames go on behind the hidden window
  // Opening again restarts the bounce but not the scrollers.
  Form2->Bounce.Y = 120.0;
  Form2->Bounce.Speed = 5.0;
  Form2->Bounce.ApexCount = 30;
  OpenCredits();
  EXPECT_EQ(Form2->Bounce.Speed, -16.0);
  EXPECT_EQ(Form2->Bounce.Y, 0.0);
  EXPECT_EQ(Form2->Bounce.ApexCount, 0);
  EXPECT_EQ(Form2->BigX, bigX);
  Form2->Close();
  EXPECT_TRUE(opener->Visible());
}

// The window opens with its button focused, so the keys of a button work at once.
TEST_F(CreditsWindow, OpensWithTheButtonFocusedAndSpaceClosesIt) {
  OpenCredits();
  Pump(200);
  EXPECT_EQ(GetFocus(), Form2->Button1.hwnd());
  testing_support::PressKey(VK_SPACE);
  EXPECT_TRUE(PumpUntil([] { return !Form2->Visible(); }));
  EXPECT_TRUE(opener->Visible());
}

TEST_F(CreditsWindow, WheelDownShowsTheHiddenPictureUntilTimer1) {
  OpenCredits();
  SendMessageA(Form2->hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);  // upwards: nothing
  EXPECT_TRUE(Form2->Image4.Visible());
  EXPECT_FALSE(Form2->Timer1.Enabled());
  WheelDown();
  EXPECT_TRUE(Form2->Image2.Visible());
  EXPECT_FALSE(Form2->Image4.Visible());
  EXPECT_TRUE(Form2->Timer1.Enabled());
  EXPECT_FALSE(Form2->Timer2.Enabled());
  Form2->Timer1Timer();
  EXPECT_FALSE(Form2->Image2.Visible());
  EXPECT_TRUE(Form2->Image4.Visible());
  EXPECT_FALSE(Form2->Timer1.Enabled());
  EXPECT_TRUE(Form2->Timer2.Enabled());
  Form2->Close();
}

TEST_F(CreditsWindow, ClosedWhileTheHiddenPictureShowsItStaysInFront) {
  OpenCredits();
  WheelDown();
  Form2->Close();
  EXPECT_FALSE(Form2->Timer1.Enabled());
  EXPECT_FALSE(Form2->Timer2.Enabled());
  OpenCredits();
  EXPECT_TRUE(Form2->Image2.Visible());
  EXPECT_FALSE(Form2->Image4.Visible());
  EXPECT_TRUE(Form2->Timer2.Enabled());  // frames are drawn behind it
  WheelDown();
  Form2->Timer1Timer();
  EXPECT_TRUE(Form2->Image4.Visible());
  EXPECT_FALSE(Form2->Image2.Visible());
  Form2->Close();
}

TEST_F(CreditsWindow, TimersRunOnTheirOwn) {
  OpenCredits();
  EXPECT_TRUE(PumpUntil([] { return Form2->BigX >= 2 * 2; })) << "frames come from Timer2";
  // A second wheel turn 700 ms later does not restart the 1400 ms: the picture goes well before 1400 ms after it.
  const DWORD first = GetTickCount();
  WheelDown();
  const std::int32_t stoodAt = Form2->BigX;
  Pump(700);
  const DWORD second = GetTickCount();
  WheelDown();
  ASSERT_TRUE(PumpUntil([] { return !Form2->Image2.Visible(); }));
  const DWORD gone = GetTickCount();
  EXPECT_GE(gone - first, 1350u);
  EXPECT_LT(gone - second, 1380u);
  EXPECT_EQ(Form2->BigX, stoodAt);  // no frames meanwhile
  EXPECT_TRUE(Form2->Timer2.Enabled());
}

// What the window shows on screen at a point of the picture area.
COLORREF OnScreen(int x, int y) {
  HDC dc = GetDC(Form2->hwnd());
  const COLORREF c = GetPixel(dc, 8 + x, 8 + y);
  ReleaseDC(Form2->hwnd(), dc);
  return c;
}

TEST_F(CreditsWindow, ScreenShowsTheFramesThenTheHiddenPicture) {
  OpenCredits();
  Form2->SmallX = Form2->SmallWidth / 2;
  Form2->BigX = 600;
  Pump(500);
  Form2->Timer2.SetEnabled(false);
  Pump(100);
  for (auto [x, y] : {std::pair{150, 100}, std::pair{10, 200}, std::pair{300, 5}}) {
    EXPECT_EQ(OnScreen(x, y), Form2->Image4.Picture->Pixel(x, y)) << x << "," << y;
  }
  Form2->Timer2.SetEnabled(true);
  WheelDown();
  Pump(200);
  for (auto [x, y] : {std::pair{150, 100}, std::pair{10, 200}, std::pair{300, 5}}) {
    EXPECT_EQ(OnScreen(x, y), Form2->Image2.Picture->Pixel(x, y)) << x << "," << y;
  }
  Form2->Timer1Timer();
}

// The picture area of a window picture saved as a 24-bit BMP, row by row; empty when unreadable.
std::vector<COLORREF> PictureAreaOf(const std::string& path, POINT origin) {
  const std::vector<std::uint8_t> bytes = testing_support::ReadBytes(path);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  if (bytes.size() < sizeof file + sizeof info) return {};
  std::memcpy(&file, bytes.data(), sizeof file);
  std::memcpy(&info, bytes.data() + sizeof file, sizeof info);
  const int width = info.biWidth, height = info.biHeight;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  if (info.biBitCount != 24 || width < origin.x + scroller::kPictureWidth ||
      height < origin.y + scroller::kPictureHeight || bytes.size() < file.bfOffBits + stride * height) {
    return {};
  }
  std::vector<COLORREF> pixels;
  for (int y = origin.y; y < origin.y + scroller::kPictureHeight; ++y) {
    const std::uint8_t* row = bytes.data() + file.bfOffBits + stride * (height - 1 - y);  // bottom-up
    for (int x = origin.x; x < origin.x + scroller::kPictureWidth; ++x) {
      pixels.push_back(RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]));
    }
  }
  return pixels;
}

bool RowsDiffer(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b, int top, int bottom) {
  const auto first = static_cast<std::ptrdiff_t>(top) * scroller::kPictureWidth;
  const auto last = static_cast<std::ptrdiff_t>(bottom) * scroller::kPictureWidth;
  return !std::equal(a.begin() + first, a.begin() + last, b.begin() + first);
}

// Frames driven one by one from the opening; the screen shows each, and the texts move between them.
TEST_F(CreditsWindow, ScreenshotsAfterTenAndSixtyFrames) {
  CreateDirectoryA("screenshots", nullptr);
  OpenCredits();
  Form2->Timer2.SetEnabled(false);
  Form2->SmallX = Form2->SmallWidth;
  Form2->BigX = 0;
  RECT window;
  GetWindowRect(Form2->hwnd(), &window);
  POINT origin{8, 8};
  ClientToScreen(Form2->hwnd(), &origin);
  origin = {origin.x - window.left, origin.y - window.top};
  struct Shot {
    int frames;
    const char* path;
    std::vector<COLORREF> area;
    int bigTop;
  };
  std::vector<Shot> shots{{10, "screenshots\\credits-frame-010.bmp", {}, 0},
                          {60, "screenshots\\credits-frame-060.bmp", {}, 0}};
  int done = 0;
  for (Shot& shot : shots) {
    for (; done < shot.frames; ++done) Form2->Timer2Timer();
    Pump(150);
    ASSERT_TRUE(testing_support::SaveWindowPicture(Form2->hwnd(), shot.path));
    shot.area = PictureAreaOf(shot.path, origin);
    ASSERT_FALSE(shot.area.empty()) << shot.path;
    EXPECT_EQ(shot.area, Pixels(*Form2->Image4.Picture)) << shot.path;
    shot.bigTop = scroller::BounceTop(Form2->Bounce.Y);
    std::printf("after %d frames: SmallX %d, BigX %d, big line at y %d\n", shot.frames, static_cast<int>(Form2->SmallX),
                static_cast<int>(Form2->BigX), shot.bigTop);
  }
  const Shot& early = shots[0];
  const Shot& late = shots[1];
  EXPECT_TRUE(RowsDiffer(early.area, late.area, 0, scroller::kSmallStripHeight));
  EXPECT_NE(early.bigTop, late.bigTop);  // the big line bounced
  for (const Shot& shot : shots) {
    const int bottom = std::min(shot.bigTop + scroller::kBigStripHeight, scroller::kPictureHeight);
    EXPECT_TRUE(RowsDiffer(early.area, late.area, shot.bigTop, bottom)) << "big line of " << shot.path;
  }
  Form2->Timer2.SetEnabled(true);
  Form2->Close();
}

TEST_F(CreditsWindow, DestroyingEndsThePlayerAndFreesTheStrips) {
  delete Form2;
  Form2 = nullptr;
  EXPECT_EQ(playerCalls, std::vector<std::string>{"Destroy"});
}

}  // namespace
