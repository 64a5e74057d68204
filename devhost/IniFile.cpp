#include "IniFile.h"

namespace devhost {
namespace {

bool IsHeader(const std::string& trimmed) {
  return trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.find(']') != std::string::npos;
}

std::string HeaderName(const std::string& trimmed) {
  return Trim(trimmed.substr(1, trimmed.find(']') - 1));
}

bool IsComment(const std::string& trimmed) {
  return trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#';
}

}  // namespace

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
    if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
    if (x != y) return false;
  }
  return true;
}

void IniText::Parse(const std::string& text) {
  lines_.clear();
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines_.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines_.push_back(line);
}

std::string IniText::Text() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  return text;
}

int IniText::SectionStart(const std::string& section) const {
  if (section.empty()) return -1;
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string trimmed = Trim(lines_[i]);
    if (IsHeader(trimmed) && EqualNoCase(HeaderName(trimmed), section)) return static_cast<int>(i);
  }
  return -1;
}

size_t IniText::SectionEnd(int start) const {
  size_t i = static_cast<size_t>(start + 1);
  while (i < lines_.size() && !IsHeader(Trim(lines_[i]))) ++i;
  return i;
}

int IniText::KeyLine(int start, const std::string& key) const {
  size_t end = SectionEnd(start);
  for (size_t i = static_cast<size_t>(start + 1); i < end; ++i) {
    std::string trimmed = Trim(lines_[i]);
    size_t equals = trimmed.find('=');
    if (IsComment(trimmed) || equals == std::string::npos) continue;
    if (EqualNoCase(Trim(trimmed.substr(0, equals)), Trim(key))) return static_cast<int>(i);
  }
  return -1;
}

bool IniText::Find(const std::string& section, const std::string& key, std::string* value) const {
  int start = SectionStart(section);
  if (start < 0 && !section.empty()) return false;
  int line = KeyLine(start, key);
  if (line < 0) return false;
  const std::string& text = lines_[static_cast<size_t>(line)];
  *value = Trim(text.substr(text.find('=') + 1));
  return true;
}

void IniText::Set(const std::string& section, const std::string& key, const std::string& value) {
  std::string line = Trim(key) + "=" + value.substr(0, value.find_first_of("\r\n"));
  int start = SectionStart(section);
  if (start < 0 && !section.empty()) {
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.push_back("");
    lines_.push_back("[" + section + "]");
    start = static_cast<int>(lines_.size()) - 1;
  }
  int existing = KeyLine(start, key);
  if (existing >= 0) {
    lines_[static_cast<size_t>(existing)] = line;
    return;
  }
  // After the section's last non-blank line, so the blank line before the next header stays.
  size_t at = SectionEnd(start);
  while (at > static_cast<size_t>(start + 1) && Trim(lines_[at - 1]).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<long>(at), line);
}

}  // namespace devhost
