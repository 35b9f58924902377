#include "Graphics.h"

#include <cstdio>
#include <csetjmp>
#include <cstring>
#include <map>
#include <stdexcept>

extern "C" {
#include <jpeglib.h>
}

#include "Application.h"

namespace ui {

std::vector<std::uint8_t> LoadResourceBytes(const char* name, const char* type) {
  HMODULE module = Application::Instance();
  HRSRC found = FindResourceA(module, name, type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const auto* data = static_cast<const std::uint8_t*>(LockResource(loaded));
  const DWORD size = SizeofResource(module, found);
  if (!data) return {};
  return std::vector<std::uint8_t>(data, data + size);
}

namespace {
struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegError*>(info->err);
  (*info->err->format_message)(info, error->message);
  std::longjmp(error->jump, 1);
}

void SilenceJpegWarning(j_common_ptr, int) {}
}  // namespace

DecodedPicture DecodeJpeg(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) throw std::runtime_error("empty JPEG picture");
  jpeg_decompress_struct info{};
  JpegError error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  error.manager.emit_message = SilenceJpegWarning;
  DecodedPicture picture;
  // Everything touched after setjmp lives in picture or info, which outlive the jump.
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    throw std::runtime_error(std::string("bad JPEG picture: ") + error.message);
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_width > 8192 || info.output_height > 8192 || info.output_components != 3) {
    jpeg_destroy_decompress(&info);
    throw std::runtime_error("unsupported JPEG picture");
  }
  picture.width = static_cast<int>(info.output_width);
  picture.height = static_cast<int>(info.output_height);
  picture.bgr.resize(static_cast<size_t>(picture.width) * picture.height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = picture.bgr.data() + static_cast<size_t>(info.output_scanline) * picture.width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  for (size_t i = 0; i + 2 < picture.bgr.size(); i += 3) std::swap(picture.bgr[i], picture.bgr[i + 2]);
  return picture;
}

HBITMAP MakeBitmap(const DecodedPicture& picture) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) throw std::runtime_error("cannot create bitmap");
  const size_t stride = (static_cast<size_t>(picture.width) * 3 + 3) & ~size_t{3};
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(static_cast<std::uint8_t*>(bits) + stride * y,
                picture.bgr.data() + static_cast<size_t>(y) * picture.width * 3,
                static_cast<size_t>(picture.width) * 3);
  }
  return bitmap;
}

// ImageList

ImageList::ImageList(int width, int height) : list_(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 4, 4)) {}

ImageList::~ImageList() { ImageList_Destroy(list_); }

int ImageList::AddResource(int bitmapResource) {
  HBITMAP strip = static_cast<HBITMAP>(
      LoadImageA(Application::Instance(), MAKEINTRESOURCEA(bitmapResource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!strip) throw std::runtime_error("missing bitmap resource " + std::to_string(bitmapResource));
  BITMAP info;
  GetObject(strip, sizeof info, &info);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, strip);
  const COLORREF transparent = GetPixel(dc, 0, info.bmHeight - 1);
  SelectObject(dc, old);
  DeleteDC(dc);
  const int first = ImageList_AddMasked(list_, strip, transparent);
  DeleteObject(strip);
  return first;
}

int ImageList::Count() const { return ImageList_GetImageCount(list_); }

// Image

Image::Image(Window& parent, const Args& args) {
  CreateControl(parent, WC_STATICA, args.bounds, WS_VISIBLE | SS_BITMAP | SS_NOTIFY | SS_CENTERIMAGE);
  if (args.jpegResource) {
    const DecodedPicture picture = DecodeJpeg(LoadResourceBytes(args.jpegResource));
    pictureWidth_ = picture.width;
    pictureHeight_ = picture.height;
    bitmap_ = MakeBitmap(picture);
    SendMessageA(hwnd_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_));
    SetBounds(args.bounds);
  }
}

Image::~Image() {
  if (bitmap_) DeleteObject(bitmap_);
}

bool Image::OnCommand(WORD code) {
  if (code != STN_CLICKED) return false;
  Fire(onClick);
  return true;
}

// Timer

namespace {
std::map<UINT_PTR, Timer*>& Timers() {
  static std::map<UINT_PTR, Timer*> timers;
  return timers;
}
}  // namespace

Timer::Timer(unsigned intervalMs, bool enabled) : interval_(intervalMs) { SetEnabled(enabled); }

Timer::~Timer() { SetEnabled(false); }

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled) {
    id_ = SetTimer(nullptr, 0, interval_, TimerProc);
    Timers()[id_] = this;
  } else {
    KillTimer(nullptr, id_);
    Timers().erase(id_);
    id_ = 0;
  }
}

void Timer::SetInterval(unsigned intervalMs) {
  interval_ = intervalMs;
  if (enabled_) {
    SetEnabled(false);
    SetEnabled(true);
  }
}

void CALLBACK Timer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  auto found = Timers().find(id);
  if (found != Timers().end()) found->second->Tick();
}

}  // namespace ui
