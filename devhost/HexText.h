// The stored notation of colours: hexadecimal text, red first. One reader for the settings store and
// for the settings dialog, so that the dialog shows exactly the colour the store hands out.
#pragma once

#include <cstdint>
#include <string>

namespace devhost {

// Hexadecimal digits, optionally after "0x" or "#", up to the first other character; more than
// eight digits keep the last eight, as a 32-bit register shifting them in would.
uint32_t ParseHex(const std::string& text);

}  // namespace devhost
