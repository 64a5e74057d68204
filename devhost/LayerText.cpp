#include "LayerText.h"

#include <cstdint>
#include <cstring>

#include "Picture.h"

namespace devhost {
namespace {

const COLORREF kShadowColour = RGB(0, 0, 0);

// The plug-in asks for "centred both ways" (DT_CENTER | DT_VCENTER) for the month name and the day
// numbers, and "centred, word-wrapped" (DT_CENTER | DT_WORDBREAK) for today's reminder. GDI honours
// DT_VCENTER only on a single line, so a centred text is drawn as one; a wrapped text is measured
// and its block moved down to the middle of the rectangle, which GDI never does by itself. A block
// taller than the rectangle keeps its top and runs on below it, up to the layer's edge: a long
// reminder stays readable on a skin with room under its bottom band, instead of losing its second
// line. dc must hold the font the text is drawn with.
void PlaceText(HDC dc, const char* text, RECT* rect, UINT* format) {
  if (*format & DT_CALCRECT) return;
  if ((*format & DT_VCENTER) && !(*format & DT_WORDBREAK)) {
    *format |= DT_SINGLELINE;
    return;
  }
  if (!(*format & DT_WORDBREAK) || (*format & DT_SINGLELINE)) return;
  RECT measured = *rect;
  int height = DrawTextA(dc, text, -1, &measured, *format | DT_CALCRECT);
  int room = rect->bottom - rect->top;
  if (height <= 0) return;
  if (height < room)
    rect->top += (room - height) / 2;
  else
    rect->bottom = rect->top + height;
}

int PlainText(HDC dc, const char* text, const RECT& rect, HFONT font, UINT format, COLORREF colour,
              bool shadow) {
  int oldMode = SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  COLORREF oldColour = GetTextColor(dc);
  RECT placed = rect;
  PlaceText(dc, text, &placed, &format);
  if (shadow) {
    RECT moved = placed;
    OffsetRect(&moved, 1, 1);
    SetTextColor(dc, kShadowColour);
    DrawTextA(dc, text, -1, &moved, format);
  }
  SetTextColor(dc, colour);
  int height = DrawTextA(dc, text, -1, &placed, format);
  SetTextColor(dc, oldColour);
  if (oldFont) SelectObject(dc, oldFont);
  SetBkMode(dc, oldMode);
  return height;
}

// Draws the text white into the mask with the given device rectangle, whose origin is the mask's.
int DrawMask(HDC maskDC, PixelImage& mask, const char* text, RECT rect, UINT format) {
  std::memset(mask.Bits, 0, static_cast<size_t>(mask.Width) * mask.Height * 4);
  return DrawTextA(maskDC, text, -1, &rect, format);
}

// Blends the colour into the target wherever the mask is lit; (left, top) is the mask's place.
void BlendMask(const PixelImage& mask, const PixelImage& target, int left, int top,
               COLORREF colour) {
  uint32_t r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
  for (int y = 0; y < mask.Height; ++y) {
    int ty = top + y;
    if (ty < 0 || ty >= target.Height) continue;
    const uint32_t* m = mask.Bits + static_cast<size_t>(y) * mask.Width;
    uint32_t* row = target.Bits + static_cast<size_t>(ty) * target.Width;
    for (int x = 0; x < mask.Width; ++x) {
      int tx = left + x;
      if (tx < 0 || tx >= target.Width) continue;
      uint32_t p = m[x];
      // Brightness of white-on-black is the coverage, with or without smoothing.
      uint32_t a = (((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255)) / 3;
      if (a == 0) continue;
      uint32_t src = (a << 24) | ((r * a / 255) << 16) | ((g * a / 255) << 8) | (b * a / 255);
      BlendOver(row + tx, 1, 1, &src, 1, 1, 0, 0);
    }
  }
}

}  // namespace

int DrawTextWithAlpha(HDC dc, const PixelImage* layer, const char* text, const RECT& rect,
                      HFONT font, UINT format, COLORREF colour, bool shadow) {
  if (!dc || !text) return 0;
  if ((format & DT_CALCRECT) || !layer || !layer->Bits)
    return PlainText(dc, text, rect, font, format, colour, shadow);
  const PixelImage& target = *layer;

  // Where the text goes, measured with its font on a context like the layer's.
  HDC maskDC = CreateCompatibleDC(dc);
  if (!maskDC) return 0;
  HGDIOBJ oldFont =
      SelectObject(maskDC, font ? static_cast<HGDIOBJ>(font) : GetCurrentObject(dc, OBJ_FONT));
  RECT placed = rect;
  PlaceText(maskDC, text, &placed, &format);

  // The rectangle in the bitmap's pixels, one pixel larger for the shadow.
  POINT corners[2] = {{placed.left, placed.top}, {placed.right, placed.bottom}};
  LPtoDP(dc, corners, 2);
  int left = corners[0].x, top = corners[0].y;
  int width = corners[1].x - left + 1, height = corners[1].y - top + 1;
  PixelImage mask;
  if (!CreatePixelImage(width, height, &mask)) {
    SelectObject(maskDC, oldFont);
    DeleteDC(maskDC);
    return 0;
  }
  HGDIOBJ oldBitmap = SelectObject(maskDC, mask.Bitmap);
  SetBkMode(maskDC, TRANSPARENT);
  SetTextColor(maskDC, RGB(255, 255, 255));

  RECT inMask = {0, 0, width - 1, height - 1};
  if (shadow) {
    RECT moved = inMask;
    OffsetRect(&moved, 1, 1);
    DrawMask(maskDC, mask, text, moved, format);
    GdiFlush();
    BlendMask(mask, target, left, top, kShadowColour);
  }
  int result = DrawMask(maskDC, mask, text, inMask, format);
  GdiFlush();
  BlendMask(mask, target, left, top, colour);

  SelectObject(maskDC, oldBitmap);
  SelectObject(maskDC, oldFont);
  DeleteDC(maskDC);
  FreePixelImage(&mask);
  return result;
}

}  // namespace devhost
