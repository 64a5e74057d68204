#include "HexText.h"

namespace devhost {

uint32_t ParseHex(const std::string& text) {
  size_t i = 0;
  if (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0)
    i = 2;
  else if (!text.empty() && text[0] == '#')
    i = 1;
  uint32_t value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    uint32_t digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<uint32_t>(c - '0');
    else if (c >= 'a' && c <= 'f')
      digit = static_cast<uint32_t>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F')
      digit = static_cast<uint32_t>(c - 'A' + 10);
    else
      break;
    value = (value << 4) | digit;
  }
  return value;
}

}  // namespace devhost
