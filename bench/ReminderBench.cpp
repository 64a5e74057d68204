// The once-a-second refresh's model work (read the file, split it into lines, set the 42 flags, find
// today's text) and SetReminder's work (read afresh, change the list, write a new file and rename it
// over the old), each beside a baseline that only reads the same bytes and counts their line feeds.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "model/CalendarMath.h"
#include "model/ReminderFile.h"

namespace {

// Today, for the flags and today's key. The file has no line for today and few for this month, so
// every lookup runs to the end of the list: the slowest case.
constexpr int TodayDay = 15, TodayMonth = 3, TodayYear = 2027;
constexpr size_t ChunkSize = 64 * 1024;  // as the store reads

std::string Folder() {
  static std::string folder = [] {
    char name[] = "/tmp/orv-bench-XXXXXX";
    return std::string(mkdtemp(name));
  }();
  return folder;
}

// A file of that many reminder lines, made once: dates over many years, texts of varied length, a
// few lines of today's month at the end.
const std::string& EventsFile(int64_t lines) {
  static std::map<int64_t, std::string> files;
  auto found = files.find(lines);
  if (found != files.end()) return found->second;
  std::string path = Folder() + "/events-" + std::to_string(lines) + ".txt";
  std::string bytes;
  unsigned seed = 12345;
  for (int64_t i = 0; i < lines; ++i) {
    seed = seed * 1103515245 + 12345;
    int month = 1 + (seed >> 8) % 12;
    int year = 1990 + (seed >> 12) % 37;
    if (month == TodayMonth && year == TodayYear) year = 2026;
    if (i >= lines - 5) month = TodayMonth, year = TodayYear;
    int day = 1 + (seed >> 16) % 28;
    if (month == TodayMonth && year == TodayYear && day == TodayDay) day = 16;
    bytes += FormatDateKey(day, month, year);
    bytes += " Reminder ";
    bytes.append(static_cast<size_t>((seed >> 20) % 24), 'x');
    bytes += "\r\n";
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) std::abort();
  std::fclose(file);
  return files[lines] = path;
}

size_t FileSize(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  std::fseek(file, 0, SEEK_END);
  size_t size = static_cast<size_t>(std::ftell(file));
  std::fclose(file);
  return size;
}

// Reads the file in the store's chunks into the list, reusing its strings as the store does.
void ReadLines(const std::string& path, std::vector<std::string>* lines, std::vector<char>* chunk,
               FlagScan* scan = nullptr) {
  int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) std::abort();
  LineSplitter splitter;
  StartLines(&splitter, lines, scan);
  for (;;) {
    ssize_t got = read(fd, chunk->data(), chunk->size());
    if (got <= 0) break;
    FeedLines(&splitter, chunk->data(), static_cast<size_t>(got));
    if (splitter.Ended) break;
  }
  FinishLines(&splitter);
  close(fd);
}

void SetCounters(benchmark::State& state, const std::string& path) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
}

void BM_BaselineReadAndCountLineFeeds(benchmark::State& state) {
  const std::string& path = EventsFile(state.range(0));
  std::vector<char> chunk(ChunkSize);
  for (auto _ : state) {
    int fd = open(path.c_str(), O_RDONLY);
    size_t lineFeeds = 0;
    for (;;) {
      ssize_t got = read(fd, chunk.data(), chunk.size());
      if (got <= 0) break;
      lineFeeds += static_cast<size_t>(std::count(chunk.data(), chunk.data() + got, '\n'));
    }
    close(fd);
    benchmark::DoNotOptimize(lineFeeds);
  }
  SetCounters(state, path);
}

// The refresh as it runs every second: the flags are found while the file is read, and the list
// keeps its strings from the previous second.
void BM_Refresh(benchmark::State& state) {
  const std::string& path = EventsFile(state.range(0));
  std::vector<char> chunk(ChunkSize);
  std::vector<std::string> lines;
  uint8_t grid[MonthGridSize];
  FillMonthGrid(TodayMonth, TodayYear, grid);
  int32_t flags[MonthGridSize];
  for (auto _ : state) {
    FlagScan scan;
    StartFlagScan(&scan, grid, TodayMonth, TodayYear);
    ReadLines(path, &lines, &chunk, &scan);
    FinishFlagScan(&scan, grid, flags);
    // As the store answers it: from the scan, which knows every grid day's first line.
    std::string today;
    if (!ScannedText(scan, lines, FormatDateKey(TodayDay, TodayMonth, TodayYear), &today))
      today = TextOfKey(lines, FormatDateKey(TodayDay, TodayMonth, TodayYear));
    benchmark::DoNotOptimize(flags);
    benchmark::DoNotOptimize(today);
  }
  if (static_cast<int64_t>(lines.size()) != state.range(0)) state.SkipWithError("wrong line count");
  SetCounters(state, path);
}

// The first refresh after start-up, when the list has no strings to reuse yet.
void BM_RefreshFirstLoad(benchmark::State& state) {
  const std::string& path = EventsFile(state.range(0));
  std::vector<char> chunk(ChunkSize);
  uint8_t grid[MonthGridSize];
  FillMonthGrid(TodayMonth, TodayYear, grid);
  int32_t flags[MonthGridSize];
  for (auto _ : state) {
    std::vector<std::string> lines;
    FlagScan scan;
    StartFlagScan(&scan, grid, TodayMonth, TodayYear);
    ReadLines(path, &lines, &chunk, &scan);
    FinishFlagScan(&scan, grid, flags);
    std::string today = TextOfKey(lines, FormatDateKey(TodayDay, TodayMonth, TodayYear));
    benchmark::DoNotOptimize(flags);
    benchmark::DoNotOptimize(today);
  }
  SetCounters(state, path);
}

// SetReminder: read afresh, append today's line, write a temporary file and rename it over a copy
// of the events file (the flush to disk is left out: it measures the disk, not this code).
void BM_SetReminder(benchmark::State& state) {
  const std::string& source = EventsFile(state.range(0));
  const std::string path = Folder() + "/set-" + std::to_string(state.range(0)) + ".txt";
  const std::string temp = path + ".tmp";
  std::vector<char> chunk(ChunkSize);
  std::vector<std::string> lines;
  ReadLines(source, &lines, &chunk);
  std::string original = FileBytes(lines);
  const std::string key = FormatDateKey(TodayDay, TodayMonth, TodayYear);
  for (auto _ : state) {
    state.PauseTiming();
    FILE* copy = std::fopen(path.c_str(), "wb");
    std::fwrite(original.data(), 1, original.size(), copy);
    std::fclose(copy);
    state.ResumeTiming();
    ReadLines(path, &lines, &chunk);
    SetKeyLine(&lines, key, "Dentist at 10");
    std::string bytes = FileBytes(lines);
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      std::abort();
    }
    close(fd);
    if (std::rename(temp.c_str(), path.c_str()) != 0) std::abort();
  }
  SetCounters(state, source);
}

#define ORV_SIZES ->Arg(100)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_BaselineReadAndCountLineFeeds) ORV_SIZES;
BENCHMARK(BM_Refresh) ORV_SIZES;
BENCHMARK(BM_RefreshFirstLoad) ORV_SIZES;
BENCHMARK(BM_SetReminder) ORV_SIZES;

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The generated files are large: leave nothing behind.
  std::string remove = "rm -rf '" + Folder() + "'";
  return std::system(remove.c_str()) == 0 ? 0 : 1;
}
