// Small helpers shared by the Windows tests: scratch folders and whole-file reads and writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh, empty folder under the system's temporary folder, removed with its files on destruction.
// Path() ends with a backslash.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Whole-file helpers; ReadFileBytes returns false when the file cannot be opened.
bool ReadFileBytes(const std::string& path, std::string* bytes);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// The file's bytes, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Writes a PNG through GDI+ from straight (not premultiplied) 0xAARRGGBB pixels, row after row, top
// first. Fails the test when the file cannot be written.
void WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& argb);
// Names of the files in a folder (not . and ..).
std::string ListFolder(const std::string& folder);
// The folder that holds the running test program (ends with a backslash).
std::string ProgramFolder();
