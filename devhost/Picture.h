// Pictures as the reference host keeps them: a 32-bit top-down DIB section holding premultiplied
// blue-green-red-alpha pixels, loaded from a file through GDI+. Premultiplied pixels are what
// AlphaBlend and a per-pixel-alpha window take, so a picture is converted once, when it is loaded.
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/drawpng.h"

namespace devhost {

struct PixelImage {
  HBITMAP Bitmap = nullptr;  // DIB section, owned
  uint32_t* Bits = nullptr;  // Width * Height pixels, row after row, top row first
  int Width = 0;
  int Height = 0;
};

// Loads any picture file GDI+ reads; false (and an empty image) when the file is missing or
// unreadable.
bool LoadPixelImage(const char* path, PixelImage* image);
void FreePixelImage(PixelImage* image);
// A transparent image of the given size; false (and an empty image) for a size of zero or less.
bool CreatePixelImage(int width, int height, PixelImage* image);

// Blends premultiplied source pixels over destination pixels ("over"), source top-left at x, y;
// both buffers top-down with their width as the row length. Parts outside the destination are cut.
void BlendOver(uint32_t* dst, int dstWidth, int dstHeight, const uint32_t* src, int srcWidth,
               int srcHeight, int x, int y);

// Draws with per-pixel alpha onto any device context at logical point x, y.
void DrawPixelImage(const PixelImage& image, HDC dc, int x, int y);

// A PictureRecord's host words hold the picture: a mark, the bitmap handle (two words on x86-64)
// and the size. The file path field is the caller's and is never touched.
void StorePicture(PictureRecord* record, const PixelImage& image);
// The picture a record holds; false for an all-zero record, a released one, or words that do not
// describe a live 32-bit DIB section of the stored size.
bool PictureOf(const PictureRecord* record, PixelImage* image);
// Clears the host words, leaving the file path.
void ClearPicture(PictureRecord* record);

}  // namespace devhost
