#pragma once
// Pictures a program draws into: an off-screen bitmap, and a control that shows one.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Window.h"

namespace ui {

// An off-screen 24-bit bitmap with its own device context and font; starts all white.
class Picture {
 public:
  // A bitmap that cannot be made (too large) leaves the picture empty: 0 x 0.
  Picture(int width, int height);
  // The picture of a JPEG; empty when the bytes do not decode.
  static std::unique_ptr<Picture> FromJpeg(const std::vector<std::uint8_t>& bytes);
  ~Picture();
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

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
  void Draw(int x, int y, const Picture& source, DWORD rop = SRCCOPY);
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
class PictureBox : public Window {
 public:
  struct Args {
    Rect bounds;
    const char* jpegResource = nullptr;
    bool visible = true;
  };
  PictureBox(Window& parent, const Args& args);
  // Redraws the control after its picture changed.
  void Changed();
  bool OnDrawItem(DRAWITEMSTRUCT* item) override;

  std::unique_ptr<ui::Picture> Picture;
};

}  // namespace ui
