#pragma once
// The credits window: a background picture with two scrolling texts over it, a hidden picture for the
// mouse wheel, and the looping tune.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "Containers.h"
#include "Controls.h"
#include "Form.h"
#include "Graphics.h"
#include "moduleplayer.h"

// An off-screen 24-bit bitmap with its own device context and font; starts all white.
class TPicture {
 public:
  // A bitmap that cannot be made (too large) leaves the picture empty: 0 x 0.
  TPicture(int width, int height);
  // The picture of a JPEG; empty when the bytes do not decode.
  static std::unique_ptr<TPicture> FromJpeg(const std::vector<std::uint8_t>& bytes);
  ~TPicture();
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  HDC Canvas() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return bitmap_ == nullptr; }

  void SetFont(const char* face, int points, bool bold, COLORREF color);
  // Width in pixels of text in the picture's font.
  std::int32_t TextWidth(const std::string& text) const;
  // Draws text with a transparent background.
  void WriteText(int x, int y, const std::string& text);
  // Copies the whole of source to (x, y) with a raster operation, clipped to this picture.
  void Draw(int x, int y, const TPicture& source, DWORD rop = SRCCOPY);
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  void Adopt(HBITMAP bitmap, int width, int height);
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
  int width_ = 0, height_ = 0;
};

// A picture control: shows its picture, or the face colour while it has none.
class TImage : public ui::Window {
 public:
  struct Args {
    ui::Rect bounds;
    const char* jpegResource = nullptr;
    bool visible = true;
  };
  TImage(ui::Window& parent, const Args& args);
  // Redraws the control after its picture changed.
  void Changed();
  bool OnDrawItem(DRAWITEMSTRUCT* item) override;

  std::unique_ptr<TPicture> Picture;
};

class TForm2 : public ui::Form {
 public:
  // The tune player works through library; tests pass their own.
  explicit TForm2(const ModPlugLibrary& library = ImportedModPlugLibrary());
  ~TForm2() override;

  TImage Image1;  // background of every frame
  TImage Image2;  // the hidden picture
  ui::Bevel Bevel1;
  TImage Image3;                 // back buffer
  TImage Image4;                 // the finished frame
  ui::Panel ModulePlayer1Panel;  // the module player's own window
  TModulePlayer ModulePlayer1;
  ui::Button Button1;
  ui::Memo Memo1;  // the credits lines
  ui::Memo Memo2;  // the link lines
  ui::Timer Timer1{1400};
  ui::Timer Timer2{40};

  void FormCreate();
  void FormShow() override;
  void FormClose();
  void FormDestroy();
  void FormMouseWheelDown();
  void Timer1Timer();
  void Timer2Timer();
  void Button1Click();

 protected:
  void FormClosed() override { FormClose(); }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
};

extern TForm2* Form2;

// The unit's scroll state.
extern std::string BigText;
extern std::string SmallText;
extern std::int32_t BigX;
extern std::int32_t SmallX;
extern std::int32_t BigWidth;
extern std::int32_t SmallWidth;
extern double BounceSpeed;
extern double BounceY;
extern std::int32_t ApexCount;
extern TPicture* BigStrip;
extern TPicture* SmallStrip;
