// A reader for the few parts of a Windows PE image (32- or 64-bit) that the binary contract fixes:
// the machine, whether it is a DLL, its export names and its imports by library.
#pragma once

#include <map>
#include <set>
#include <string>

struct PeImage {
  bool Valid = false;
  unsigned Machine = 0;  // 0x14c i386, 0x8664 x86-64
  bool Is64 = false;
  bool IsDll = false;
  std::set<std::string> Exports;
  // Library name in lower case → names imported from it (ordinal imports as "#n").
  std::map<std::string, std::set<std::string>> Imports;
};

// Reads the file; Valid is false when it is not a well-formed PE image.
PeImage ReadPeImage(const std::string& path);
