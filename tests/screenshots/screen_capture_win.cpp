#include "tests/screenshots/screen_capture_win.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/win32.h"
#include "tests/support/test_files.h"

namespace review {

namespace {

constexpr WORD BMP_SIGNATURE = 0x4D42;  // "BM"
constexpr WORD BITS_PER_PIXEL = 24;
constexpr int ROW_ALIGNMENT = 4;

bool IsEmpty(const ScreenArea& area) { return area.right <= area.left || area.bottom <= area.top; }

ScreenArea Clip(const ScreenArea& area, const ScreenArea& bounds) {
  ScreenArea clipped;
  clipped.left = std::max(area.left, bounds.left);
  clipped.top = std::max(area.top, bounds.top);
  clipped.right = std::min(area.right, bounds.right);
  clipped.bottom = std::min(area.bottom, bounds.bottom);
  return clipped;
}

ScreenArea WholeScreen() {
  ScreenArea screen;
  screen.right = GetSystemMetrics(SM_CXSCREEN);
  screen.bottom = GetSystemMetrics(SM_CYSCREEN);
  return screen;
}

int RowBytes(int width) { return (width * BITS_PER_PIXEL / 8 + ROW_ALIGNMENT - 1) / ROW_ALIGNMENT * ROW_ALIGNMENT; }

BITMAPINFOHEADER BottomUpHeader(int width, int height) {
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = height;  // positive: the last row of the picture comes first
  header.biPlanes = 1;
  header.biBitCount = BITS_PER_PIXEL;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(RowBytes(width) * height);
  return header;
}

// The pixels of `area` as rows for `header`, read from a copy of the screen;
// empty when GDI refused.
std::vector<uint8_t> CopyPixels(const ScreenArea& area, BITMAPINFOHEADER header) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  std::vector<uint8_t> pixels(header.biSizeImage);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  bool copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT) != 0;
  SelectObject(memory, previous);
  BITMAPINFO info = {};
  info.bmiHeader = header;
  copied = copied && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                               DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!copied) pixels.clear();
  return pixels;
}

template <typename T>
void Append(std::string& bytes, const T& value) {
  bytes.append(reinterpret_cast<const char*>(&value), sizeof(value));
}

}  // namespace

ScreenArea AreaOf(test_support::WindowHandle window) {
  RECT rect = {};
  ScreenArea area;
  if (window == nullptr || !GetWindowRect(static_cast<HWND>(window), &rect)) return area;
  area.left = rect.left;
  area.top = rect.top;
  area.right = rect.right;
  area.bottom = rect.bottom;
  return area;
}

ScreenArea Union(const ScreenArea& a, const ScreenArea& b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  ScreenArea both;
  both.left = std::min(a.left, b.left);
  both.top = std::min(a.top, b.top);
  both.right = std::max(a.right, b.right);
  both.bottom = std::max(a.bottom, b.bottom);
  return both;
}

bool SaveScreenArea(const ScreenArea& area, const std::string& bmpPath) {
  ScreenArea clipped = Clip(area, WholeScreen());
  if (IsEmpty(clipped)) return false;
  BITMAPINFOHEADER header = BottomUpHeader(clipped.right - clipped.left, clipped.bottom - clipped.top);
  std::vector<uint8_t> pixels = CopyPixels(clipped, header);
  if (pixels.empty()) return false;

  BITMAPFILEHEADER file = {};
  file.bfType = BMP_SIGNATURE;
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + header.biSizeImage;
  std::string bytes;
  Append(bytes, file);
  Append(bytes, header);
  bytes.append(reinterpret_cast<const char*>(pixels.data()), pixels.size());
  return test_support::WriteBytes(test_support::WindowsPath(bmpPath), bytes);
}

}  // namespace review
