// For any bytes: reading never fails, a chunked read gives the same list as a whole one, writing the
// list and reading it back gives the same list, a reminder set into it survives the same trip, and the
// one-pass flags agree with a lookup per cell.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "model/CalendarMath.h"
#include "model/ReminderFile.h"

static void Check(bool ok) {
  if (!ok) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  std::vector<std::string> lines;
  SplitLines(bytes, &lines);
  for (const std::string& line : lines) {
    Check(line.find('\r') == std::string::npos && line.find('\n') == std::string::npos);
    Check(line.empty() || line[0] != 0x1A);
  }

  // The same bytes in two chunks, cut where the first byte says, into a list that held other lines.
  std::vector<std::string> chunked = {"stale", std::string(40, 's')};
  size_t cut = size ? data[0] % (size + 1) : 0;
  LineSplitter splitter;
  StartLines(&splitter, &chunked);
  FeedLines(&splitter, bytes.data(), cut);
  FeedLines(&splitter, bytes.data() + cut, size - cut);
  FinishLines(&splitter);
  Check(chunked == lines);

  std::vector<std::string> reread;
  SplitLines(FileBytes(lines), &reread);
  Check(reread == lines);

  // Set a reminder whose key is the first line's date field (or a fixed key) and whose text is the
  // second line, raw bytes included.
  std::string key = lines.empty() ? std::string("1.1.2027") : std::string(DateField(lines[0]));
  if (key.empty()) key = "1.1.2027";
  std::string text = size > 1 ? std::string(bytes.substr(1, data[1] % 16)) : std::string("x");
  std::vector<std::string> changed = lines;
  SetKeyLine(&changed, key, text);
  const bool had = FindKeyLine(lines, key) < lines.size();
  if (text.empty()) {
    Check(changed.size() == lines.size() - (had ? 1 : 0));
  } else {
    Check(changed.size() == lines.size() + (had ? 0 : 1));
    Check(TextOfKey(changed, key) == OneLine(text));
  }
  SplitLines(FileBytes(changed), &reread);
  Check(reread == changed);

  // Flags of a real grid, with today's month taken from the input.
  int month = size ? 1 + data[size - 1] % 12 : 3;
  uint8_t grid[MonthGridSize];
  FillMonthGrid(month, 2027, grid);
  int32_t flags[MonthGridSize];
  ComputeEventFlags(lines, grid, month, 2027, flags);
  for (int i = 0; i < MonthGridSize; ++i) {
    bool expected = !TextOfKey(lines, FormatDateKey(grid[i], month, 2027)).empty();
    Check(flags[i] == (expected ? -1 : 0));
  }
  // A lookup answered by the scan agrees with a search, for the grid's keys and for others.
  FlagScan scan;
  StartFlagScan(&scan, grid, month, 2027);
  for (const std::string& line : lines) ScanLine(&scan, line);
  for (const std::string& key : {FormatDateKey(grid[8], month, 2027), FormatDateKey(0, month, 2027),
                                 FormatDateKey(31, month, 2027), std::string("05.") + scan.Suffix.substr(1)}) {
    std::string text;
    if (ScannedText(scan, lines, key, &text)) Check(text == TextOfKey(lines, key));
  }
  return 0;
}
