// The reminder file's format, free of Windows: how its bytes split into lines, how a line splits into
// date field and text, how the list changes when a reminder is set, which bytes are written back, and
// which grid cells have a reminder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/CalendarMath.h"

// Which grid cells have a reminder, found in one pass over the lines: every cell's key is its day
// number followed by the same ".month.year", so one look at a line's date field tells which day, if
// any, it names. Only the first line of each day counts, as in TextOfKey.
struct FlagScan {
  std::string Suffix;  // ".month.year"
  bool Wanted[256];    // day numbers on the grid (0 for blank cells)
  bool Decided[256];   // a line for that day was seen
  bool HasText[256];   // that first line has a non-empty text
  size_t FirstLine[256];  // that first line's position among the lines scanned
  size_t Seen;            // lines scanned so far
  int Open;               // wanted days not yet decided
};

void StartFlagScan(FlagScan* scan, const uint8_t grid[MonthGridSize], int month, int year);
void ScanLine(FlagScan* scan, std::string_view line);
// -1 for each cell whose key's first line has a non-empty text, else 0.
void FinishFlagScan(const FlagScan* scan, const uint8_t grid[MonthGridSize],
                    int32_t flags[MonthGridSize]);
// The text of the key's first line among exactly the lines that were scanned: the answer of
// TextOfKey without another pass over them. False when the key is not one of the scan's days.
bool ScannedText(const FlagScan& scan, const std::vector<std::string>& lines, std::string_view key,
                 std::string* text);
// The three steps at once over a list already read.
void ComputeEventFlags(const std::vector<std::string>& lines, const uint8_t grid[MonthGridSize],
                       int month, int year, int32_t flags[MonthGridSize]);

// Splits bytes into lines as they arrive, so that a file is read in chunks without a copy of it
// being held whole. Every CR is dropped (one before an LF is part of the terminator, any other is
// dropped by the format's rules), lines end at LF, and a 0x1A where a line would begin ends the file.
// The strings already in the list are reused and only rewritten where they differ, so that reading
// the same file again allocates and writes almost nothing; this relies on no entry of the list ever
// holding a CR or an LF, which reading and SetKeyLine both ensure. When a flag scan is given, each line is
// scanned as it is completed, while its bytes are still in the cache.
struct LineSplitter {
  std::vector<std::string>* Lines;
  FlagScan* Scan;    // may be null
  size_t Count;      // lines begun so far
  size_t Filled;     // bytes of the current line known to be right
  bool AtLineStart;  // the next kept byte begins a new line
  bool Ended;        // a 0x1A began a line: everything after it is ignored
};

void StartLines(LineSplitter* splitter, std::vector<std::string>* lines, FlagScan* scan = nullptr);
void FeedLines(LineSplitter* splitter, const char* bytes, size_t size);
// Completes the last line and drops the entries left over from a longer earlier list.
void FinishLines(LineSplitter* splitter);
// The three steps at once, for bytes held whole.
void SplitLines(std::string_view bytes, std::vector<std::string>* lines);

// The bytes before the line's first space; empty when the line has no space.
std::string_view DateField(std::string_view line);
// The bytes after the line's first space; the whole line when it has none.
std::string_view ReminderText(std::string_view line);
// Position of the first line whose date field equals the key byte for byte, or lines.size().
size_t FindKeyLine(const std::vector<std::string>& lines, std::string_view key);
// The text of the first line whose date field equals the key, or the empty text.
std::string TextOfKey(const std::vector<std::string>& lines, std::string_view key);

// The text with every CR LF, lone CR and lone LF replaced by one space, so that it stays one line.
std::string OneLine(std::string_view text);
// Replaces the key's first line by "key text" in place, or appends it; an empty text deletes the
// key's first line instead (and changes nothing when there is none). The new line is made one line.
void SetKeyLine(std::vector<std::string>* lines, std::string_view key, std::string_view text);
// The file's bytes: every line followed by CR LF; nothing at all for an empty list.
std::string FileBytes(const std::vector<std::string>& lines);
