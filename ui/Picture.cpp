#include "Picture.h"

#include <algorithm>
#include <stdexcept>

#include "Graphics.h"

namespace ui {

// Picture

Picture::Picture(int width, int height) {
  if (width <= 0 || height <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Adopt(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), width, height);
  if (dc_) PatBlt(dc_, 0, 0, width, height, WHITENESS);
}

std::unique_ptr<Picture> Picture::FromJpeg(const std::vector<std::uint8_t>& bytes) {
  auto picture = std::make_unique<Picture>(0, 0);
  try {
    const DecodedPicture decoded = DecodeJpeg(bytes);
    picture->Adopt(MakeBitmap(decoded), decoded.width, decoded.height);
  } catch (const std::runtime_error&) {
    // A picture that does not decode stays empty; the window works without it.
  }
  return picture;
}

void Picture::Adopt(HBITMAP bitmap, int width, int height) {
  if (!bitmap) return;
  dc_ = CreateCompatibleDC(nullptr);
  if (!dc_) {
    DeleteObject(bitmap);
    return;
  }
  bitmap_ = bitmap;
  oldBitmap_ = SelectObject(dc_, bitmap_);
  width_ = width;
  height_ = height;
}

Picture::~Picture() {
  if (!dc_) return;
  if (font_) {
    SelectObject(dc_, oldFont_);
    DeleteObject(font_);
  }
  SelectObject(dc_, oldBitmap_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

void Picture::SetFont(const char* face, int points, bool bold, COLORREF color) {
  if (!dc_) return;
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  HFONT font = CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
  if (!font) return;
  HGDIOBJ previous = SelectObject(dc_, font);
  if (font_) {
    DeleteObject(font_);
  } else {
    oldFont_ = previous;
  }
  font_ = font;
  SetTextColor(dc_, color);
}

std::int32_t Picture::TextWidth(const std::string& text) const {
  if (!dc_ || text.empty()) return 0;
  SIZE size{};
  if (!GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size)) return 0;
  return size.cx;
}

void Picture::WriteText(int x, int y, const std::string& text) {
  if (!dc_ || text.empty()) return;
  SetBkMode(dc_, TRANSPARENT);
  TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

void Picture::Draw(int x, int y, const Picture& source, DWORD rop) {
  if (!dc_ || !source.dc_) return;
  // The part of the source that lands inside this picture, in 64 bits so that no place overflows.
  const std::int64_t left = std::max<std::int64_t>(x, 0), top = std::max<std::int64_t>(y, 0);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + source.width_, width_);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + source.height_, height_);
  if (right <= left || bottom <= top) return;
  BitBlt(dc_, static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
         static_cast<int>(bottom - top), source.dc_, static_cast<int>(left - x), static_cast<int>(top - y), rop);
}

// PictureBox

PictureBox::PictureBox(ui::Window& parent, const Args& args) {
  CreateControl(parent, WC_STATICA, args.bounds, SS_OWNERDRAW | WS_CLIPSIBLINGS | (args.visible ? WS_VISIBLE : 0));
  if (args.jpegResource) Picture = Picture::FromJpeg(ui::LoadResourceBytes(args.jpegResource));
}

void PictureBox::Changed() { InvalidateRect(hwnd_, nullptr, FALSE); }

bool PictureBox::OnDrawItem(DRAWITEMSTRUCT* item) {
  const RECT& r = item->rcItem;
  if (Picture && !Picture->Empty()) {
    BitBlt(item->hDC, 0, 0, Picture->Width(), Picture->Height(), Picture->Canvas(), 0, 0, SRCCOPY);
    // Whatever the picture leaves uncovered.
    ExcludeClipRect(item->hDC, 0, 0, Picture->Width(), Picture->Height());
  }
  FillRect(item->hDC, &r, Container::FaceBrush());
  return true;
}

}  // namespace ui
