// The reminder store's file layer. events.txt is the only copy of the user's reminders, so a rewrite
// must never lose a line that is in the file:
// - SetReminder reads the file afresh right before changing it, so that a save before the first load,
//   or just after another program changed the file, keeps every other line. When the file exists but
//   cannot be read whole, nothing is written.
// - The new content goes to a temporary file in the same folder, is checked and flushed, and then
//   replaces events.txt with one rename. Any failure leaves events.txt as it was and removes the
//   temporary file. ReplaceFileA is not used: under Wine it deletes the old file before moving the new
//   one in.
// - A read-only events.txt is refused here, since Wine's rename would replace it where Windows refuses.
#include "model/ReminderStore.h"

#include <algorithm>
#include <vector>

#include "model/MonthGrid.h"
#include "model/ReminderFile.h"
#include "plugin/PluginState.h"

namespace {

// The file is split into lines as it arrives, so it is never held whole besides the list.
constexpr DWORD ReadChunkSize = 64 * 1024;
// WriteFile counts in 32 bits; pieces of this size keep every count exact.
constexpr size_t WritePieceSize = 1 << 20;
// Waits when another program holds events.txt, shared by all steps of one SetReminder: it runs on
// the host's UI thread, so the total stays at 40 ms.
constexpr int BusyWaits = 4;
constexpr DWORD BusyWaitMs = 10;

enum class ReadResult { Whole, Missing, NotOpened, CutShort };

bool WaitIfBusy(DWORD error, int* waitsLeft) {
  bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
              error == ERROR_ACCESS_DENIED;
  if (!busy || *waitsLeft <= 0) return false;
  --*waitsLeft;
  Sleep(BusyWaitMs);
  return true;
}

// Reads events.txt into State.ReminderList, reusing its strings, and passes each line to the flag
// scan when one is given. Others may read the file meanwhile, not write it. When the file is not opened the list is left untouched; a read that fails part-way
// keeps the lines read before it.
ReadResult ReadEventsFile(FlagScan* scan, int* waitsLeft) {
  HANDLE file;
  for (;;) {
    file = CreateFileA(State.EventsPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file != INVALID_HANDLE_VALUE) break;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return ReadResult::Missing;
    if (!WaitIfBusy(error, waitsLeft)) return ReadResult::NotOpened;
  }
  State.EventsFile = file;
  LineSplitter splitter;
  StartLines(&splitter, &State.ReminderList, scan);
  std::vector<char> chunk(ReadChunkSize);
  bool whole = true;
  while (!splitter.Ended) {
    DWORD got = 0;
    if (!ReadFile(file, chunk.data(), ReadChunkSize, &got, nullptr)) {
      whole = false;
      break;
    }
    if (got == 0) break;
    FeedLines(&splitter, chunk.data(), got);
  }
  FinishLines(&splitter);
  CloseHandle(file);
  State.EventsFile = nullptr;
  return whole ? ReadResult::Whole : ReadResult::CutShort;
}

bool WriteWhole(HANDLE file, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    DWORD piece = static_cast<DWORD>(std::min(bytes.size() - done, WritePieceSize));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, piece, &written, nullptr) || written != piece) {
      return false;
    }
    done += piece;
  }
  LARGE_INTEGER size;
  return GetFileSizeEx(file, &size) && static_cast<unsigned long long>(size.QuadPart) == bytes.size();
}

// Writes State.ReminderList to a temporary file and renames it over events.txt. When events.txt did
// not exist, the rename does not replace one that another program created meanwhile.
void RewriteEventsFile(bool exists, int* waitsLeft) {
  const std::string temp = State.EventsPath + ".tmp";
  HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  // A temporary file that cannot be created may be another program's: it is not ours to remove.
  if (file == INVALID_HANDLE_VALUE) return;
  State.EventsFile = file;
  bool written = WriteWhole(file, FileBytes(State.ReminderList)) && FlushFileBuffers(file);
  bool closed = CloseHandle(file);
  State.EventsFile = nullptr;
  if (written && closed) {
    DWORD flags = MOVEFILE_WRITE_THROUGH | (exists ? MOVEFILE_REPLACE_EXISTING : 0);
    for (;;) {
      if (MoveFileExA(temp.c_str(), State.EventsPath.c_str(), flags)) return;
      if (!WaitIfBusy(GetLastError(), waitsLeft)) break;
    }
  }
  DeleteFileA(temp.c_str());
}

}  // namespace

void LoadReminders() {
  // The flags are found while the lines are read: this runs every second, and one pass over a long
  // file costs much less than a second one.
  CalendarDate today = TodayDate();
  FlagScan& scan = State.ReminderScan;
  StartFlagScan(&scan, State.MonthGrid, today.Month, today.Year);
  int noWaits = 0;  // a busy file is simply read again at the next tick
  ReadResult read = ReadEventsFile(&scan, &noWaits);
  if (read == ReadResult::Missing || read == ReadResult::NotOpened) {
    State.ReminderList.clear();
    StartFlagScan(&scan, State.MonthGrid, today.Month, today.Year);
  }
  FinishFlagScan(&scan, State.MonthGrid, State.EventFlags);
  State.ReminderScanValid = true;
}

std::string FindReminder(const std::string& key) {
  // The refresh asks for today's reminder right after the load: the scan already knows the first
  // line of every day on the grid, so a long file is not searched a second time.
  std::string text;
  if (State.ReminderScanValid && ScannedText(State.ReminderScan, State.ReminderList, key, &text))
    return text;
  return TextOfKey(State.ReminderList, key);
}

void SetReminder(const std::string& text, const std::string& key) {
  State.ReminderScanValid = false;  // the list is about to change
  // Windows would refuse to replace these; Wine would replace a read-only file. Refuse on both.
  DWORD attributes = GetFileAttributesA(State.EventsPath.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return;
  }
  int waitsLeft = BusyWaits;
  ReadResult read = ReadEventsFile(nullptr, &waitsLeft);
  // A file that exists but cannot be read whole is left as it is: the change is lost, as it would
  // be when the write failed, but none of the lines already in the file are.
  if (read == ReadResult::NotOpened || read == ReadResult::CutShort) return;
  if (read == ReadResult::Missing) State.ReminderList.clear();
  SetKeyLine(&State.ReminderList, key, text);
  RewriteEventsFile(read == ReadResult::Whole, &waitsLeft);
}
