#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/MonthGrid.h"
#include "model/ReminderFile.h"
#include "model/ReminderStore.h"
#include "plugin/PluginState.h"
#include "ImportPatch.h"
#include "support/TestEnv.h"

namespace {

// --- Replacements for the Windows calls these tests must decide --------------------------------

SYSTEMTIME FakeNow;
void WINAPI FakeGetLocalTime(SYSTEMTIME* now) { *now = FakeNow; }

int FailuresLeft;  // how many calls of a patched function fail before the real one is used
void* RealFunction;

BOOL WINAPI FailingMoveFileExA(const char* from, const char* to, DWORD flags) {
  if (FailuresLeft-- > 0) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  return reinterpret_cast<decltype(&MoveFileExA)>(RealFunction)(from, to, flags);
}

BOOL WINAPI FailingWriteFile(HANDLE file, const void* bytes, DWORD size, DWORD* written,
                             OVERLAPPED* overlapped) {
  *written = 0;
  SetLastError(ERROR_DISK_FULL);
  (void)file, (void)bytes, (void)size, (void)overlapped;
  return FALSE;
}

// Writes half and says so, as a full disk may: only the byte count tells.
BOOL WINAPI ShortWriteFile(HANDLE file, const void* bytes, DWORD size, DWORD* written,
                           OVERLAPPED* overlapped) {
  return reinterpret_cast<decltype(&WriteFile)>(RealFunction)(file, bytes, size / 2, written,
                                                              overlapped);
}

BOOL WINAPI FailingFlushFileBuffers(HANDLE) {
  SetLastError(ERROR_IO_DEVICE);
  return FALSE;
}

// The first read gets 22 bytes, the next one fails.
BOOL WINAPI BrokenReadFile(HANDLE file, void* bytes, DWORD size, DWORD* got, OVERLAPPED* overlapped) {
  if (FailuresLeft-- > 0) {
    return reinterpret_cast<decltype(&ReadFile)>(RealFunction)(file, bytes, size < 22 ? size : 22,
                                                               got, overlapped);
  }
  *got = 0;
  SetLastError(ERROR_IO_DEVICE);
  return FALSE;
}

int WINAPI NoLocaleName(LCID locale, LCTYPE type, char* name, int size) {
  // Odd months have no name at all, month 2 an empty one; the rest come from the real locale.
  int month = static_cast<int>(type - LOCALE_SMONTHNAME1) + 1;
  if (month % 2 == 1) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (month == 2) {
    name[0] = '\0';
    return 1;
  }
  return reinterpret_cast<decltype(&GetLocaleInfoA)>(RealFunction)(locale, type, name, size);
}

std::unique_ptr<ImportPatch> Patch(const char* function, void* replacement) {
  auto patch = std::make_unique<ImportPatch>(GetModuleHandleA(nullptr), "KERNEL32.dll", function,
                                             replacement);
  EXPECT_TRUE(patch->Active()) << function;
  RealFunction = patch->Original();
  return patch;
}

void SetToday(int day, int month, int year) {
  FakeNow = SYSTEMTIME{};
  FakeNow.wDay = static_cast<WORD>(day);
  FakeNow.wMonth = static_cast<WORD>(month);
  FakeNow.wYear = static_cast<WORD>(year);
  FakeNow.wHour = 12;
}

// --- Fixture: a fresh State, events.txt in a scratch folder, today fixed -----------------------

class Model : public ::testing::Test {
 protected:
  void SetUp() override {
    State = PluginState();
    State.EventsPath = dir_.File("events.txt");
    clock_ = Patch("GetLocalTime", reinterpret_cast<void*>(&FakeGetLocalTime));
    SetToday(15, 3, 2027);  // March 2027: the 1st is a Monday, 31 days
    BuildMonthGrid();
  }
  void TearDown() override {
    // Every call must have closed what it opened.
    EXPECT_EQ(State.EventsFile, nullptr);
    EXPECT_TRUE(CanOpenExclusively()) << "events.txt still open";
  }

  std::string Path() const { return State.EventsPath; }
  std::string Events() const {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(Path(), &bytes));
    return bytes;
  }
  std::string Folder() const { return ListFolder(dir_.Path()); }
  bool CanOpenExclusively() const {
    if (!FileExists(Path()) || (GetFileAttributesA(Path().c_str()) & FILE_ATTRIBUTE_DIRECTORY)) {
      return true;
    }
    HANDLE file = CreateFileA(Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }
  int FlagOfDay(int day) const {
    for (int i = 0; i < GridCells; ++i) {
      if (State.MonthGrid[i] == day) return State.EventFlags[i];
    }
    ADD_FAILURE() << "day " << day << " not on the grid";
    return 0;
  }

  ScratchDir dir_;
  std::unique_ptr<ImportPatch> clock_;
};

// --- Clock, grid and keys ------------------------------------------------------------------------

TEST_F(Model, TodayIsReadAtEveryCall) {
  SetToday(31, 12, 2027);
  CalendarDate today = TodayDate();
  EXPECT_EQ(today.Day, 31);
  EXPECT_EQ(today.Month, 12);
  EXPECT_EQ(today.Year, 2027);
  SetToday(1, 1, 2028);
  EXPECT_EQ(TodayDate().Year, 2028);
  EXPECT_EQ(MakeDateKey(1), "1.1.2028");
}

TEST_F(Model, GridOfTodaysMonth) {
  SetToday(20, 2, 2021);  // a 28-day February whose 1st is a Monday
  BuildMonthGrid();
  for (int column = 1; column <= GridColumns; ++column) {
    for (int row = 1; row <= GridRows; ++row) {
      int expected = row <= 4 ? (row - 1) * 7 + column : 0;
      EXPECT_EQ(State.MonthGrid[(column - 1) * GridRows + (row - 1)], expected)
          << "column " << column << ", row " << row;
    }
  }
}

TEST_F(Model, KeysCarryTodaysMonthAndYear) {
  SetToday(9, 9, 2027);
  EXPECT_EQ(MakeDateKey(9), "9.9.2027");
  EXPECT_EQ(MakeDateKey(30), "30.9.2027");
  EXPECT_EQ(MakeDateKey(0), "0.9.2027");
}

TEST_F(Model, GridKeepsItsMonthWhenTheDateMovesOn) {
  SetToday(31, 1, 2027);
  BuildMonthGrid();
  WriteFileBytes(Path(), "31.1.2027 January's\r\n31.2.2027 read in February\r\n");
  SetToday(1, 2, 2027);
  LoadReminders();
  EXPECT_EQ(State.MonthGrid[GridIndex(7, 5)], 31);  // still January's layout: the 31st a Sunday
  EXPECT_EQ(MakeDateKey(31), "31.2.2027");
  EXPECT_EQ(FlagOfDay(31), -1);
  EXPECT_EQ(FindReminder(MakeDateKey(31)), "read in February");
}

TEST_F(Model, MonthNamesFallBackToEnglish) {
  std::string real[12];
  for (int i = 0; i < 12; ++i) {
    char name[80] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SMONTHNAME1 + i, name, sizeof name);
    real[i] = name;
  }
  {
    auto patch = Patch("GetLocaleInfoA", reinterpret_cast<void*>(&NoLocaleName));
    FillMonthNames();
  }
  const char* english[12] = {"January", "February", "March",     "April",   "May",      "June",
                             "July",    "August",   "September", "October", "November", "December"};
  for (int i = 0; i < 12; ++i) {
    int month = i + 1;
    bool fallback = month % 2 == 1 || month == 2;
    EXPECT_EQ(std::string(State.MonthNames[i]), fallback ? english[i] : real[i]) << month;
  }
  SetToday(1, 9, 2027);
  EXPECT_STREQ(CurrentMonthName(), State.MonthNames[8]);
  SetToday(1, 10, 2027);
  EXPECT_STREQ(CurrentMonthName(), State.MonthNames[9]);
}

// Run by its own ctest entry, whose Wine process has LC_ALL=de_DE.UTF-8.
TEST(GermanLocale, LongMonthNamesInTheAnsiCodePage) {
  State = PluginState();
  FillMonthNames();
  EXPECT_STREQ(State.MonthNames[11], "Dezember");
  EXPECT_STREQ(State.MonthNames[2], "M\xE4rz");  // Windows-1252, not UTF-8
}

// --- Loading -------------------------------------------------------------------------------------

TEST_F(Model, LoadSetsFlagsOfTodaysMonth) {
  WriteFileBytes(Path(),
                 "5.3.2027 five\n"
                 "05.3.2027 leading zero\n"
                 "6.3.2027 \n"
                 "7.3.2026 last year\n"
                 "0.3.2027 blank cells\r\n"
                 "15.3.2027 today's");
  LoadReminders();
  EXPECT_EQ(State.ReminderList.size(), 6u);
  for (int i = 0; i < GridCells; ++i) {
    int day = State.MonthGrid[i];
    bool flagged = day == 0 || day == 5 || day == 15;
    EXPECT_EQ(State.EventFlags[i], flagged ? -1 : 0) << "day " << day;
  }
  EXPECT_EQ(FindReminder(MakeDateKey(15)), "today's");
  EXPECT_EQ(FindReminder(MakeDateKey(6)), "");
}

TEST_F(Model, UnreadableFileGivesNoLinesAndNoFlags) {
  const std::string lines = "5.3.2027 five\r\n0.3.2027 blanks\r\n";
  struct Case {
    const char* what;
    std::function<HANDLE()> hold;  // what another program does; returns its handle, if any
  } cases[] = {
      {"no file", [&] {
         DeleteFileA(Path().c_str());
         return INVALID_HANDLE_VALUE;
       }},
      {"another program writes it", [&] {
         return CreateFileA(Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
       }},
      {"a folder in its place", [&] {
         DeleteFileA(Path().c_str());
         CreateDirectoryA(Path().c_str(), nullptr);
         return INVALID_HANDLE_VALUE;
       }},
  };
  for (const Case& c : cases) {
    RemoveDirectoryA(Path().c_str());
    WriteFileBytes(Path(), lines);
    LoadReminders();
    ASSERT_EQ(State.ReminderList.size(), 2u) << c.what;
    HANDLE other = c.hold();
    LoadReminders();
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    EXPECT_TRUE(State.ReminderList.empty()) << c.what;
    for (int32_t flag : State.EventFlags) EXPECT_EQ(flag, 0) << c.what;
    EXPECT_EQ(FindReminder(MakeDateKey(5)), "") << c.what;
  }
  RemoveDirectoryA(Path().c_str());
}

TEST_F(Model, ReadErrorKeepsTheLinesReadBeforeIt) {
  WriteFileBytes(Path(), "1.3.2027 one\r\n2.3.2027 two\r\n3.3.2027 three\r\n");
  {
    FailuresLeft = 1;
    auto patch = Patch("ReadFile", reinterpret_cast<void*>(&BrokenReadFile));
    LoadReminders();
  }
  EXPECT_EQ(State.ReminderList, (std::vector<std::string>{"1.3.2027 one", "2.3.2027"}));
  EXPECT_EQ(FlagOfDay(1), -1);
  EXPECT_EQ(FlagOfDay(2), 0);
  EXPECT_EQ(FlagOfDay(3), 0);
}

// --- Saving --------------------------------------------------------------------------------------

TEST_F(Model, SaveBeforeTheFirstLoadKeepsTheFile) {
  WriteFileBytes(Path(), "1.3.2027 one\n2.3.2027 two\n");
  SetReminder("three", "3.3.2027");
  EXPECT_EQ(Events(), "1.3.2027 one\r\n2.3.2027 two\r\n3.3.2027 three\r\n");
  EXPECT_EQ(State.ReminderList,
            (std::vector<std::string>{"1.3.2027 one", "2.3.2027 two", "3.3.2027 three"}));
  EXPECT_EQ(Folder(), "events.txt");
}

TEST_F(Model, SaveKeepsAnotherProgramsEditSinceTheLoad) {
  WriteFileBytes(Path(), "1.3.2027 one\r\n");
  LoadReminders();
  WriteFileBytes(Path(), "1.3.2027 one\r\n9.3.2027 added elsewhere\r\n");
  SetReminder("ONE", "1.3.2027");
  EXPECT_EQ(Events(), "1.3.2027 ONE\r\n9.3.2027 added elsewhere\r\n");
}

TEST_F(Model, FirstSaveAndDeletionWithoutAFile) {
  SetReminder("", "14.3.2027");
  EXPECT_TRUE(FileExists(Path()));
  EXPECT_EQ(Events(), "");
  DeleteFileA(Path().c_str());
  SetReminder("Dentist\r\nat 10", "14.3.2027");
  EXPECT_EQ(Events(), "14.3.2027 Dentist at 10\r\n");
  SetReminder("", "14.3.2027");
  EXPECT_EQ(Events(), "");
  EXPECT_EQ(Folder(), "events.txt");
}

TEST_F(Model, MoveIsRetriedWhileBrieflyBusy) {
  WriteFileBytes(Path(), "1.3.2027 one\r\n");
  FailuresLeft = 2;
  auto patch = Patch("MoveFileExA", reinterpret_cast<void*>(&FailingMoveFileExA));
  SetReminder("two", "2.3.2027");
  EXPECT_EQ(Events(), "1.3.2027 one\r\n2.3.2027 two\r\n");
  EXPECT_EQ(Folder(), "events.txt");
}

// Each way a save can fail: the file stays byte for byte as it was, no temporary file is left.
TEST_F(Model, FailedSaveLeavesTheFileAsItWas) {
  const std::string before = "1.3.2027 one\n2.3.2027 two\r\n3.3.2027 three";
  struct Case {
    const char* what;
    const char* function;  // KERNEL32 import to patch, or null
    void* replacement;
    int failures;
    std::function<HANDLE()> setUp;  // returns a handle another program holds, if any
  } cases[] = {
      {"the move keeps failing", "MoveFileExA", reinterpret_cast<void*>(&FailingMoveFileExA),
       1000, nullptr},
      {"a write fails", "WriteFile", reinterpret_cast<void*>(&FailingWriteFile), 0, nullptr},
      {"a write is cut short", "WriteFile", reinterpret_cast<void*>(&ShortWriteFile), 0, nullptr},
      {"the flush fails", "FlushFileBuffers", reinterpret_cast<void*>(&FailingFlushFileBuffers),
       0, nullptr},
      {"the re-read fails part-way", "ReadFile", reinterpret_cast<void*>(&BrokenReadFile), 1,
       nullptr},
      {"events.txt is read-only", nullptr, nullptr, 0,
       [&] {
         SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_READONLY);
         return INVALID_HANDLE_VALUE;
       }},
      {"another program holds it, reading, without write-sharing", nullptr, nullptr, 0,
       [&] {
         return CreateFileA(Path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
       }},
      {"another program holds it for writing", nullptr, nullptr, 0,
       [&] {
         return CreateFileA(Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
       }},
  };
  for (const Case& c : cases) {
    SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteFileBytes(Path(), before);
    HANDLE other = c.setUp ? c.setUp() : INVALID_HANDLE_VALUE;
    {
      std::unique_ptr<ImportPatch> patch;
      FailuresLeft = c.failures;
      if (c.function) patch = Patch(c.function, c.replacement);
      SetReminder("changed", "2.3.2027");
      SetReminder("new", "4.3.2027");
    }
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    EXPECT_EQ(Events(), before) << c.what;
    EXPECT_EQ(Folder(), "events.txt") << c.what;
  }
}

TEST_F(Model, ReadOnlyStaysReadOnly) {
  WriteFileBytes(Path(), "1.3.2027 one\r\n");
  SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_READONLY);
  SetReminder("", "1.3.2027");
  EXPECT_TRUE(GetFileAttributesA(Path().c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Events(), "1.3.2027 one\r\n");
  SetFileAttributesA(Path().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Model, FolderInPlaceOfTheFileIsLeftAlone) {
  ASSERT_TRUE(CreateDirectoryA(Path().c_str(), nullptr));
  SetReminder("one", "1.3.2027");
  EXPECT_TRUE(GetFileAttributesA(Path().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(Folder(), "events.txt");
  RemoveDirectoryA(Path().c_str());
}

}  // namespace
