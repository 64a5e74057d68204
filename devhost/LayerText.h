// Text drawing for 32-bit layers. GDI writes text colour but leaves the alpha byte as it was (0 on
// a cleared layer), so text drawn straight onto a layer would vanish when the layer is blended.
// Instead the text is drawn white on black into a scratch bitmap, whose brightness then serves as
// coverage to blend the colour, premultiplied and with alpha, into the layer's own pixels.
#pragma once

#include <windows.h>

#include "Picture.h"

namespace devhost {

// Draws like DrawTextA with the font, format and colour on a transparent background, with a dark
// copy one pixel right and down first when shadow is set. layer is the image selected into dc, when
// dc is one of the host's layer contexts; without it (any other context) the text is drawn by GDI
// alone. The layer is passed rather than looked up from dc because GetObject does not tell a
// top-down DIB section from a bottom-up one. Returns DrawTextA's height.
int DrawTextWithAlpha(HDC dc, const PixelImage* layer, const char* text, const RECT& rect,
                      HFONT font, UINT format, COLORREF colour, bool shadow);

}  // namespace devhost
