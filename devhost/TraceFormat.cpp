#include "TraceFormat.h"

#include <cstdio>

namespace devhost {

std::string QuoteText(const char* text) {
  if (!text) return "0";
  std::string out = "\"";
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    switch (*p) {
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (*p < 0x20) {
          char buf[8];
          snprintf(buf, sizeof buf, "\\x%02X", *p);
          out += buf;
        } else {
          out += static_cast<char>(*p);
        }
    }
  }
  return out + "\"";
}

std::string FormatRect(const RECT* rect) {
  if (!rect) return "0";
  char buf[80];
  snprintf(buf, sizeof buf, "{%ld, %ld, %ld, %ld}", static_cast<long>(rect->left),
           static_cast<long>(rect->top), static_cast<long>(rect->right),
           static_cast<long>(rect->bottom));
  return buf;
}

std::string FormatFont(HFONT font) {
  if (!font) return "0";
  LOGFONTA lf{};
  if (GetObjectType(font) != OBJ_FONT || GetObjectA(font, sizeof lf, &lf) != sizeof lf)
    return "font(?)";
  lf.lfFaceName[LF_FACESIZE - 1] = 0;
  char buf[120];
  snprintf(buf, sizeof buf, "font(%s, %ld, %ld)", QuoteText(lf.lfFaceName).c_str(),
           static_cast<long>(lf.lfHeight), static_cast<long>(lf.lfWeight));
  return buf;
}

std::string FormatModule(HINSTANCE instance) {
  if (!instance) return "0";
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(instance, path, sizeof path);
  if (n == 0 || n >= sizeof path) return Hex(reinterpret_cast<uintptr_t>(instance));
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') name = p + 1;
  return "module(" + QuoteText(name) + ")";
}

std::string Hex(unsigned long long value) {
  char buf[24];
  snprintf(buf, sizeof buf, "0x%llX", value);
  return buf;
}

std::string Colour(COLORREF colour) {
  char buf[16];
  snprintf(buf, sizeof buf, "0x%06lX", static_cast<unsigned long>(colour));
  return buf;
}

std::string Call(const char* name, const std::string& args, const std::string& result) {
  std::string line = name;
  line += '(';
  line += args;
  line += ')';
  if (!result.empty()) line += " = " + result;
  return line;
}

std::string Args(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& part : parts) {
    if (!out.empty()) out += ", ";
    out += part;
  }
  return out;
}

std::string Num(long long value) { return std::to_string(value); }

}  // namespace devhost
