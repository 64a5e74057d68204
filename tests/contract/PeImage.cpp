#include "PeImage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

struct Reader {
  std::vector<uint8_t> bytes;
  struct Section {
    uint32_t rva, size, offset;
  };
  std::vector<Section> sections;

  bool Has(size_t offset, size_t n) const { return offset <= bytes.size() && n <= bytes.size() - offset; }
  uint32_t U16(size_t o) const { return Has(o, 2) ? bytes[o] | bytes[o + 1] << 8 : 0; }
  uint32_t U32(size_t o) const {
    return Has(o, 4) ? uint32_t(bytes[o]) | uint32_t(bytes[o + 1]) << 8 |
                           uint32_t(bytes[o + 2]) << 16 | uint32_t(bytes[o + 3]) << 24
                     : 0;
  }
  uint64_t U64(size_t o) const { return U32(o) | uint64_t(U32(o + 4)) << 32; }

  // File offset of a relative virtual address, or 0 when no section holds it.
  size_t Offset(uint32_t rva) const {
    for (const Section& s : sections)
      if (rva >= s.rva && rva < s.rva + s.size) return s.offset + (rva - s.rva);
    return 0;
  }
  std::string Text(uint32_t rva) const {
    size_t o = Offset(rva);
    std::string text;
    while (o != 0 && o < bytes.size() && bytes[o] != 0) text += char(bytes[o++]);
    return text;
  }
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

PeImage ReadPeImage(const std::string& path) {
  PeImage image;
  Reader r;
  std::ifstream file(path, std::ios::binary);
  r.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (r.U16(0) != 0x5A4D) return image;  // "MZ"
  const size_t nt = r.U32(0x3C);
  if (r.U32(nt) != 0x4550) return image;  // "PE\0\0"
  image.Machine = r.U16(nt + 4);
  const unsigned sectionCount = r.U16(nt + 6);
  const size_t optionalSize = r.U16(nt + 20);
  image.IsDll = (r.U16(nt + 22) & 0x2000) != 0;
  const size_t optional = nt + 24;
  const unsigned magic = r.U16(optional);
  if (magic != 0x10B && magic != 0x20B) return image;
  image.Is64 = magic == 0x20B;
  const size_t directories = optional + (image.Is64 ? 112 : 96);
  for (unsigned i = 0; i < sectionCount; ++i) {
    const size_t s = optional + optionalSize + i * 40;
    r.sections.push_back({r.U32(s + 12), std::max(r.U32(s + 8), r.U32(s + 16)), r.U32(s + 20)});
  }

  if (size_t exports = r.Offset(r.U32(directories))) {
    const uint32_t count = r.U32(exports + 24);
    const size_t names = r.Offset(r.U32(exports + 32));
    for (uint32_t i = 0; names != 0 && i < count; ++i) image.Exports.insert(r.Text(r.U32(names + 4 * i)));
  }
  if (size_t imports = r.Offset(r.U32(directories + 8))) {
    for (size_t d = imports; r.Has(d, 20) && r.U32(d + 12) != 0; d += 20) {
      std::set<std::string>& names = image.Imports[Lower(r.Text(r.U32(d + 12)))];
      const uint32_t lookup = r.U32(d) != 0 ? r.U32(d) : r.U32(d + 16);
      const size_t width = image.Is64 ? 8 : 4;
      for (size_t t = r.Offset(lookup); t != 0 && r.Has(t, width); t += width) {
        const uint64_t entry = image.Is64 ? r.U64(t) : r.U32(t);
        if (entry == 0) break;
        const uint64_t ordinalFlag = image.Is64 ? (uint64_t(1) << 63) : 0x80000000u;
        if (entry & ordinalFlag)
          names.insert("#" + std::to_string(entry & 0xFFFF));
        else
          names.insert(r.Text(uint32_t(entry) + 2));  // skip the hint
      }
    }
  }
  image.Valid = true;
  return image;
}
