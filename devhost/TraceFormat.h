// How the reference host writes arguments into its call trace. Both host libraries use these, so
// that one trace reads the same whichever library appended a line.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "host/drawpng.h"

namespace devhost {

// A text in double quotes with CR, LF, tab and other control bytes escaped (\r, \n, \t, \xNN), so
// that every call stays on one line; a null text is 0.
std::string QuoteText(const char* text);
// {left, top, right, bottom}, or 0 for a null rectangle.
std::string FormatRect(const RECT* rect);
// font("Face", height, weight), 0 for null, font(?) for a handle that is not a font.
std::string FormatFont(HFONT font);
// module("File.ext") by the module's file name, 0 for null.
std::string FormatModule(HINSTANCE instance);
// 0x followed by upper-case hexadecimal digits, colours with six digits (0x000080).
std::string Hex(unsigned long long value);
std::string Colour(COLORREF colour);
// Arguments joined by ", ".
std::string Args(std::initializer_list<std::string> parts);
// A number in decimal.
std::string Num(long long value);
// Name(args) followed by " = result" when result is not empty.
std::string Call(const char* name, const std::string& args, const std::string& result = {});

}  // namespace devhost
