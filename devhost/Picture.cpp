#include "Picture.h"

#include <windows.h>
// After windows.h: GDI+ declarations use its COM types.
#include <gdiplus.h>

#include <cstring>
#include <string>
#include <vector>

namespace devhost {
namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

// GDI+ is started on first use and stays up for the life of the process: GdiplusShutdown may not
// run inside DllMain, and pictures are loaded every second, so a per-load start would be wasteful.
bool GdiplusReady() {
  static bool started = false;
  static bool ok = false;
  if (!started) {
    started = true;
    GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ok = GdiplusStartup(&token, &input, nullptr) == Ok;
  }
  return ok;
}

const uint32_t kPictureMark = 0x5043524F;  // "ORCP"

// Pixel sizes above this are refused rather than allocated.
const long long kMaxPixels = 16LL * 1024 * 1024;

}  // namespace

bool CreatePixelImage(int width, int height, PixelImage* image) {
  *image = PixelImage{};
  if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPixels)
    return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    return false;
  }
  std::memset(bits, 0, static_cast<size_t>(width) * height * 4);
  image->Bitmap = bitmap;
  image->Bits = static_cast<uint32_t*>(bits);
  image->Width = width;
  image->Height = height;
  return true;
}

void FreePixelImage(PixelImage* image) {
  if (image->Bitmap) DeleteObject(image->Bitmap);
  *image = PixelImage{};
}

bool LoadPixelImage(const char* path, PixelImage* image) {
  *image = PixelImage{};
  if (!path || !*path || !GdiplusReady()) return false;
  int wideLength = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (wideLength <= 0) return false;
  std::vector<WCHAR> wide(wideLength);
  MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), wideLength);

  GpBitmap* bitmap = nullptr;
  if (GdipCreateBitmapFromFile(wide.data(), &bitmap) != Ok || !bitmap) return false;
  UINT width = 0, height = 0;
  GdipGetImageWidth(bitmap, &width);
  GdipGetImageHeight(bitmap, &height);
  bool ok = CreatePixelImage(static_cast<int>(width), static_cast<int>(height), image);
  if (ok) {
    // GDI+ premultiplies while converting, so the DIB gets the pixels AlphaBlend expects.
    GpRect rect(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    BitmapData data{};
    data.Width = width;
    data.Height = height;
    data.Stride = static_cast<INT>(width * 4);
    data.PixelFormat = PixelFormat32bppPARGB;
    data.Scan0 = image->Bits;
    ok = GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead | ImageLockModeUserInputBuf,
                            PixelFormat32bppPARGB, &data) == Ok;
    if (ok) GdipBitmapUnlockBits(bitmap, &data);
    if (!ok) FreePixelImage(image);
  }
  GdipDisposeImage(bitmap);  // also releases the file, which may be replaced while we run
  return ok;
}

void BlendOver(uint32_t* dst, int dstWidth, int dstHeight, const uint32_t* src, int srcWidth,
               int srcHeight, int x, int y) {
  if (!dst || !src) return;
  int x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
  int x1 = x + srcWidth < dstWidth ? x + srcWidth : dstWidth;
  int y1 = y + srcHeight < dstHeight ? y + srcHeight : dstHeight;
  for (int row = y0; row < y1; ++row) {
    uint32_t* d = dst + static_cast<size_t>(row) * dstWidth;
    const uint32_t* s = src + static_cast<size_t>(row - y) * srcWidth - x;
    for (int col = x0; col < x1; ++col) {
      uint32_t sp = s[col];
      uint32_t alpha = sp >> 24;
      if (alpha == 255) {
        d[col] = sp;
      } else if (alpha != 0 || sp != 0) {
        uint32_t dp = d[col], keep = 255 - alpha, out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
          uint32_t c = ((sp >> shift) & 255) + (((dp >> shift) & 255) * keep + 127) / 255;
          out |= (c > 255 ? 255 : c) << shift;
        }
        d[col] = out;
      }
    }
  }
}

void DrawPixelImage(const PixelImage& image, HDC dc, int x, int y) {
  if (!image.Bitmap || !dc) return;
  HDC source = CreateCompatibleDC(dc);
  if (!source) return;
  HGDIOBJ old = SelectObject(source, image.Bitmap);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, x, y, image.Width, image.Height, source, 0, 0, image.Width, image.Height,
                blend);
  SelectObject(source, old);
  DeleteDC(source);
}

void StorePicture(PictureRecord* record, const PixelImage& image) {
  record->HostWords[0] = kPictureMark;
  static_assert(sizeof(HBITMAP) <= 2 * sizeof(uint32_t), "a handle fits two words");
  std::memcpy(&record->HostWords[1], &image.Bitmap, sizeof image.Bitmap);
  record->HostWords[3] = static_cast<uint32_t>(image.Width);
  record->HostWords[4] = static_cast<uint32_t>(image.Height);
}

bool PictureOf(const PictureRecord* record, PixelImage* image) {
  *image = PixelImage{};
  if (!record || record->HostWords[0] != kPictureMark) return false;
  HBITMAP bitmap = nullptr;
  std::memcpy(&bitmap, &record->HostWords[1], sizeof bitmap);
  DIBSECTION dib{};
  if (!bitmap || GetObjectType(bitmap) != OBJ_BITMAP ||
      GetObjectA(bitmap, sizeof dib, &dib) != sizeof dib)
    return false;
  int width = static_cast<int>(record->HostWords[3]),
      height = static_cast<int>(record->HostWords[4]);
  if (dib.dsBm.bmBitsPixel != 32 || !dib.dsBm.bmBits || dib.dsBm.bmWidth != width ||
      dib.dsBm.bmHeight != height)
    return false;
  image->Bitmap = bitmap;
  image->Bits = static_cast<uint32_t*>(dib.dsBm.bmBits);
  image->Width = width;
  image->Height = height;
  return true;
}

void ClearPicture(PictureRecord* record) {
  std::memset(record->HostWords, 0, sizeof record->HostWords);
  std::memset(record->MoreHostWords, 0, sizeof record->MoreHostWords);
}

}  // namespace devhost
