#include "Picture.h"

#include <windows.h>
// After windows.h: GDI+ declarations use its COM types.
#include <gdiplus.h>

#include <cstring>
#include <map>
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

// Decoded pictures by path. A plug-in may load the same small file every second; decoding it anew
// each time costs milliseconds, while comparing its time stamp and size costs microseconds. A file
// replaced under the same path has a new time stamp, so it is decoded again at once.
struct DecodedFile {
  FILETIME Written;
  DWORD SizeLow, SizeHigh;
  int Width, Height;
  std::vector<uint32_t> Pixels;
};
std::map<std::string, DecodedFile> g_decoded;
const size_t kMaxDecodedFiles = 16;

bool SameFile(const DecodedFile& cached, const WIN32_FILE_ATTRIBUTE_DATA& file) {
  return CompareFileTime(&cached.Written, &file.ftLastWriteTime) == 0 &&
         cached.SizeLow == file.nFileSizeLow && cached.SizeHigh == file.nFileSizeHigh;
}

bool DecodeFile(const char* path, PixelImage* image);

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
  if (!path || !*path) return false;
  WIN32_FILE_ATTRIBUTE_DATA file;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &file)) return false;
  auto cached = g_decoded.find(path);
  if (cached != g_decoded.end() && SameFile(cached->second, file)) {
    const DecodedFile& decoded = cached->second;
    if (!CreatePixelImage(decoded.Width, decoded.Height, image)) return false;
    std::memcpy(image->Bits, decoded.Pixels.data(), decoded.Pixels.size() * 4);
    return true;
  }
  if (!DecodeFile(path, image)) return false;
  if (g_decoded.size() >= kMaxDecodedFiles && cached == g_decoded.end()) g_decoded.clear();
  DecodedFile& entry = g_decoded[path];
  entry.Written = file.ftLastWriteTime;
  entry.SizeLow = file.nFileSizeLow;
  entry.SizeHigh = file.nFileSizeHigh;
  entry.Width = image->Width;
  entry.Height = image->Height;
  entry.Pixels.assign(image->Bits, image->Bits + static_cast<size_t>(image->Width) * image->Height);
  return true;
}

namespace {

bool DecodeFile(const char* path, PixelImage* image) {
  if (!GdiplusReady()) return false;
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

}  // namespace

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

// The 32-bit top-down DIB section selected into `dc` when the context draws on it one to one (no
// origin shift, no scaling), so that pixels can be blended straight into its memory.
bool DirectTarget(HDC dc, PixelImage* target) {
  HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
  DIBSECTION dib{};
  if (!bitmap || GetObjectA(bitmap, sizeof dib, &dib) != sizeof dib) return false;
  if (dib.dsBm.bmBitsPixel != 32 || !dib.dsBm.bmBits || dib.dsBmih.biHeight >= 0) return false;
  POINT window, viewport;
  if (GetMapMode(dc) != MM_TEXT || !GetWindowOrgEx(dc, &window) || !GetViewportOrgEx(dc, &viewport) ||
      window.x || window.y || viewport.x || viewport.y)
    return false;
  target->Bitmap = bitmap;
  target->Bits = static_cast<uint32_t*>(dib.dsBm.bmBits);
  target->Width = dib.dsBm.bmWidth;
  target->Height = dib.dsBm.bmHeight;
  return true;
}

void DrawPixelImage(const PixelImage& image, HDC dc, int x, int y) {
  if (!image.Bitmap || !dc) return;
  // Layers are such DIB sections: blending in memory is the same "over" as AlphaBlend, without
  // its round trips, and markers are drawn every second.
  PixelImage target;
  if (DirectTarget(dc, &target)) {
    GdiFlush();  // earlier GDI drawing on the layer must land first
    BlendOver(target.Bits, target.Width, target.Height, image.Bits, image.Width, image.Height, x, y);
    return;
  }
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
