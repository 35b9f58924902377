#pragma once
// Pictures: JPEG decoding through libjpeg, image lists, the picture control and timers.
#include <cstdint>
#include <string>
#include <vector>

#include "Controls.h"
#include <commctrl.h>

namespace ui {

// The bytes of an RCDATA resource of this program by name, or empty.
std::vector<std::uint8_t> LoadResourceBytes(const char* name, const char* type = MAKEINTRESOURCEA(10));

struct DecodedPicture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> bgr;  // rows top-down, 3 bytes a pixel, no padding
};
// Decodes a baseline or progressive JPEG; throws std::runtime_error on bad data.
DecodedPicture DecodeJpeg(const std::vector<std::uint8_t>& bytes);
// A 24-bit top-down DIB section of the picture; the caller owns it.
HBITMAP MakeBitmap(const DecodedPicture& picture);

// A list of equal-sized small images.
class ImageList {
 public:
  ImageList(int width, int height);
  ~ImageList();
  ImageList(const ImageList&) = delete;
  ImageList& operator=(const ImageList&) = delete;
  // Adds the images of a bitmap resource (a strip of images side by side); the colour of the
  // bottom-left pixel is transparent. Returns the index of the first one added.
  int AddResource(int bitmapResource);
  int Count() const;
  HIMAGELIST handle() const { return list_; }

 private:
  HIMAGELIST list_;
};

// A picture (JPEG from an RCDATA resource) that reports clicks.
class Image : public Window {
 public:
  struct Args {
    Rect bounds;
    const char* jpegResource = nullptr;
  };
  Image(Window& parent, const Args& args);
  ~Image() override;
  Event onClick;
  bool OnCommand(WORD code) override;
  int PictureWidth() const { return pictureWidth_; }
  int PictureHeight() const { return pictureHeight_; }

 private:
  HBITMAP bitmap_ = nullptr;
  int pictureWidth_ = 0, pictureHeight_ = 0;
};

// A window timer; fires onTimer every interval while enabled.
class Timer {
 public:
  explicit Timer(unsigned intervalMs, bool enabled = false);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  void SetInterval(unsigned intervalMs);
  unsigned Interval() const { return interval_; }
  // As a tick of the timer.
  void Tick() { Fire(onTimer); }
  Event onTimer;

 private:
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
  unsigned interval_;
  bool enabled_ = false;
  UINT_PTR id_ = 0;
};

}  // namespace ui
