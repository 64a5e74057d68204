#include "model/ReminderFile.h"

#include <cstring>

void StartLines(LineSplitter* splitter, std::vector<std::string>* lines, FlagScan* scan) {
  splitter->Lines = lines;
  splitter->Scan = scan;
  splitter->Count = 0;
  splitter->Filled = 0;
  splitter->AtLineStart = true;
  splitter->Ended = false;
}

// Puts the bytes at the current line's end. A string that already holds them (the same file read a
// second ago) is only compared, not written.
static void PutBytes(LineSplitter* splitter, const char* begin, const char* end) {
  std::string& line = (*splitter->Lines)[splitter->Count - 1];
  size_t size = static_cast<size_t>(end - begin);
  if (line.size() < splitter->Filled + size ||
      std::memcmp(line.data() + splitter->Filled, begin, size) != 0) {
    line.resize(splitter->Filled);
    line.append(begin, size);
  }
  splitter->Filled += size;
}

// Puts the bytes at the current line's end without their CRs.
static void PutBytesWithoutCR(LineSplitter* splitter, const char* begin, const char* end) {
  while (begin < end) {
    const char* cr = static_cast<const char*>(std::memchr(begin, '\r', end - begin));
    PutBytes(splitter, begin, cr ? cr : end);
    begin = cr ? cr + 1 : end;
  }
}

// True when the line is still empty and its string already holds exactly these bytes. No entry of
// the list ever holds a CR, so the bytes then hold none either and need no search for one: the
// common case of reading the same file again costs one comparison per line.
static bool SameWholeLine(LineSplitter* splitter, const char* begin, const char* end) {
  const std::string& line = (*splitter->Lines)[splitter->Count - 1];
  size_t size = static_cast<size_t>(end - begin);
  if (splitter->Filled != 0 || line.size() != size || std::memcmp(line.data(), begin, size) != 0) {
    return false;
  }
  splitter->Filled = size;
  return true;
}

static void BeginLine(LineSplitter* splitter) {
  if (splitter->Count == splitter->Lines->size()) splitter->Lines->emplace_back();
  ++splitter->Count;
  splitter->Filled = 0;
  splitter->AtLineStart = false;
}

static void EndLine(LineSplitter* splitter) {
  std::string& line = (*splitter->Lines)[splitter->Count - 1];
  line.resize(splitter->Filled);  // an older, longer line may have been there
  if (splitter->Scan) ScanLine(splitter->Scan, line);
  splitter->AtLineStart = true;
}

void FeedLines(LineSplitter* splitter, const char* bytes, size_t size) {
  const char* p = bytes;
  const char* end = bytes + size;
  while (p < end && !splitter->Ended) {
    if (splitter->AtLineStart) {
      // A dropped CR is as if it were not there: the line begins at the next kept byte.
      while (p < end && *p == '\r') ++p;
      if (p == end) return;
      if (*p == 0x1A) {
        splitter->Ended = true;
        return;
      }
      BeginLine(splitter);
    }
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
    const char* stop = lf ? lf : end;
    // Most lines end in CR LF: that CR goes at once, and the rest rarely holds another.
    const char* kept = stop > p && stop[-1] == '\r' ? stop - 1 : stop;
    if (!SameWholeLine(splitter, p, kept)) PutBytesWithoutCR(splitter, p, kept);
    if (!lf) return;
    EndLine(splitter);
    p = lf + 1;
  }
}

void FinishLines(LineSplitter* splitter) {
  if (!splitter->AtLineStart) EndLine(splitter);
  splitter->Lines->resize(splitter->Count);
}

void SplitLines(std::string_view bytes, std::vector<std::string>* lines) {
  LineSplitter splitter;
  StartLines(&splitter, lines);
  FeedLines(&splitter, bytes.data(), bytes.size());
  FinishLines(&splitter);
}

std::string_view DateField(std::string_view line) {
  size_t space = line.find(' ');
  return space == std::string_view::npos ? std::string_view() : line.substr(0, space);
}

std::string_view ReminderText(std::string_view line) {
  size_t space = line.find(' ');
  return space == std::string_view::npos ? line : line.substr(space + 1);
}

size_t FindKeyLine(const std::vector<std::string>& lines, std::string_view key) {
  if (key.empty()) {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (DateField(lines[i]).empty()) return i;
    }
    return lines.size();
  }
  // A date field never holds a space, so such a key matches nothing.
  if (key.find(' ') != std::string_view::npos) return lines.size();
  // The field equals a key without spaces exactly when the line starts with the key and a space.
  const size_t k = key.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.size() > k && line[k] == ' ' && std::memcmp(line.data(), key.data(), k) == 0) return i;
  }
  return lines.size();
}

std::string TextOfKey(const std::vector<std::string>& lines, std::string_view key) {
  size_t at = FindKeyLine(lines, key);
  if (at == lines.size()) return std::string();
  return std::string(ReminderText(lines[at]));
}

std::string OneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    line += (c == '\r' || c == '\n') ? ' ' : c;
  }
  return line;
}

void SetKeyLine(std::vector<std::string>* lines, std::string_view key, std::string_view text) {
  size_t at = FindKeyLine(*lines, key);
  if (text.empty()) {
    if (at < lines->size()) lines->erase(lines->begin() + at);
    return;
  }
  // The key is made one line too: no entry of the list may hold a CR or an LF.
  std::string line(key);
  line += ' ';
  line += text;
  line = OneLine(line);
  if (at < lines->size()) {
    (*lines)[at] = std::move(line);
  } else {
    lines->push_back(std::move(line));
  }
}

std::string FileBytes(const std::vector<std::string>& lines) {
  size_t total = 0;
  for (const std::string& line : lines) total += line.size() + 2;
  std::string bytes;
  bytes.reserve(total);
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}

// The day number whose key, followed by the suffix, is the field: the field must be that suffix after a
// day written as FormatDateKey writes it (no leading zero) and small enough to be a grid byte. -1 for
// any other field.
static int DayOfField(std::string_view field, std::string_view suffix) {
  if (field.size() <= suffix.size() || field.size() > suffix.size() + 3) return -1;
  if (std::memcmp(field.data() + field.size() - suffix.size(), suffix.data(), suffix.size()) != 0) {
    return -1;
  }
  std::string_view digits = field.substr(0, field.size() - suffix.size());
  if (digits.size() > 1 && digits[0] == '0') return -1;
  int day = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    day = day * 10 + (c - '0');
  }
  return day <= 255 ? day : -1;
}

void StartFlagScan(FlagScan* scan, const uint8_t grid[MonthGridSize], int month, int year) {
  scan->Suffix = FormatDateKey(0, month, year).substr(1);
  std::memset(scan->Wanted, 0, sizeof(scan->Wanted));
  std::memset(scan->Decided, 0, sizeof(scan->Decided));
  std::memset(scan->HasText, 0, sizeof(scan->HasText));
  scan->Seen = 0;
  scan->Open = 0;
  for (int i = 0; i < MonthGridSize; ++i) {
    if (!scan->Wanted[grid[i]]) ++scan->Open;
    scan->Wanted[grid[i]] = true;
  }
}

void ScanLine(FlagScan* scan, std::string_view line) {
  const size_t index = scan->Seen++;
  if (scan->Open == 0) return;
  // A field that names a grid day is one to three digits and the suffix, so its end can only be one
  // of three places; DayOfField then makes sure that no space comes earlier.
  const size_t shortest = scan->Suffix.size() + 1;
  size_t space = shortest;
  while (space < shortest + 3 && space < line.size() && line[space] != ' ') ++space;
  if (space >= line.size() || line[space] != ' ') return;
  int day = DayOfField(line.substr(0, space), scan->Suffix);
  if (day < 0 || !scan->Wanted[day] || scan->Decided[day]) return;
  scan->Decided[day] = true;
  scan->HasText[day] = space + 1 < line.size();
  scan->FirstLine[day] = index;
  --scan->Open;
}

void FinishFlagScan(const FlagScan* scan, const uint8_t grid[MonthGridSize],
                    int32_t flags[MonthGridSize]) {
  for (int i = 0; i < MonthGridSize; ++i) flags[i] = scan->HasText[grid[i]] ? -1 : 0;
}

bool ScannedText(const FlagScan& scan, const std::vector<std::string>& lines, std::string_view key,
                 std::string* text) {
  // Only a scan of these very lines can answer; the caller falls back to a search otherwise.
  if (scan.Seen != lines.size()) return false;
  const int day = DayOfField(key, scan.Suffix);
  if (day < 0 || !scan.Wanted[day]) return false;
  if (!scan.Decided[day]) {
    text->clear();  // no line names that day
    return true;
  }
  *text = std::string(ReminderText(lines[scan.FirstLine[day]]));
  return true;
}

void ComputeEventFlags(const std::vector<std::string>& lines, const uint8_t grid[MonthGridSize],
                       int month, int year, int32_t flags[MonthGridSize]) {
  FlagScan scan;
  StartFlagScan(&scan, grid, month, year);
  for (const std::string& line : lines) ScanLine(&scan, line);
  FinishFlagScan(&scan, grid, flags);
}
