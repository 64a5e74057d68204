// Files the host-library tests make: a scratch folder, whole-file text, and PNG pictures written
// through GDI+ from straight (not premultiplied) ARGB pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;  // ends with a backslash
};

void WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);
// Pixels are 0xAARRGGBB, row after row, top first. Fails the test when the file cannot be written.
void WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& argb);
