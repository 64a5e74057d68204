// The settings store's file format: an INI text, one [section] per settings section, key=value
// lines. Kept line by line, so that comments, unknown keys and the order of a hand-edited file
// survive a rewrite. Sections and keys match without regard to ASCII case, as Windows INI files do.
#pragma once

#include <string>
#include <vector>

namespace devhost {

class IniText {
 public:
  // Takes the file's bytes; CR LF, LF and CR all end a line.
  void Parse(const std::string& text);
  // Lines joined with CR LF, the last one ended too.
  std::string Text() const;

  // False when the section or the key is missing. The value is trimmed of surrounding blanks.
  bool Find(const std::string& section, const std::string& key, std::string* value) const;
  // Replaces the key's first line in the section, or adds it at the end of the section, adding the
  // section at the end of the file when it is missing. A value is cut at its first CR or LF, since
  // the format cannot hold a line break.
  void Set(const std::string& section, const std::string& key, const std::string& value);

 private:
  // Index of the section's header line, or -1; the section "" is the part before the first header.
  int SectionStart(const std::string& section) const;
  // One past the section's last line.
  size_t SectionEnd(int start) const;
  // The key's line within the section, or -1.
  int KeyLine(int start, const std::string& key) const;

  std::vector<std::string> lines_;
};

// Trims spaces and tabs at both ends.
std::string Trim(const std::string& text);
bool EqualNoCase(const std::string& a, const std::string& b);

}  // namespace devhost
