// The host program from outside, as a user runs it: the picture of the calendar it writes for a
// fixed date and reminder file, compared with a checked-in reference, and its clear refusals.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h: GDI+ declarations use its COM types.
#include <gdiplus.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/TestEnv.h"

namespace {

struct HostRun {
  DWORD ExitCode = 0;
  std::string Output;  // stdout and stderr together
};

// Runs orvendale-host.exe from this program's folder with the arguments; fails the test when it
// does not end within a minute.
HostRun RunHost(const std::string& arguments, const ScratchDir& dir) {
  HostRun run;
  std::string outputPath = dir.File("output.txt");
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(output, INVALID_HANDLE_VALUE);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  std::string command = "\"" + ProgramFolder() + "orvendale-host.exe\" " + arguments;
  PROCESS_INFORMATION process{};
  BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                dir.Path().c_str(), &startup, &process);
  CloseHandle(output);
  EXPECT_TRUE(started) << command;
  if (!started) return run;
  if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "the host did not end: " << command;
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 5000);
  }
  GetExitCodeProcess(process.hProcess, &run.ExitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  ReadFileBytes(outputPath, &run.Output);
  return run;
}

std::string Quote(const std::string& path) { return "\"" + path + "\""; }

// Straight (not premultiplied) 0xAARRGGBB pixels of a picture file; empty when it does not load.
std::vector<uint32_t> LoadPixels(const std::string& path, int* width, int* height) {
  using namespace Gdiplus;
  using namespace Gdiplus::DllExports;
  std::vector<uint32_t> pixels;
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (GdiplusStartup(&token, &input, nullptr) != Ok) return pixels;
  std::wstring wide(path.begin(), path.end());
  GpBitmap* bitmap = nullptr;
  if (GdipCreateBitmapFromFile(wide.c_str(), &bitmap) == Ok && bitmap) {
    UINT w = 0, h = 0;
    GdipGetImageWidth(bitmap, &w);
    GdipGetImageHeight(bitmap, &h);
    pixels.resize(static_cast<size_t>(w) * h);
    GpRect rect(0, 0, static_cast<INT>(w), static_cast<INT>(h));
    BitmapData data{};
    data.Width = w;
    data.Height = h;
    data.Stride = static_cast<INT>(w * 4);
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = pixels.data();
    if (GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead | ImageLockModeUserInputBuf,
                           PixelFormat32bppARGB, &data) == Ok) {
      GdipBitmapUnlockBits(bitmap, &data);
      *width = static_cast<int>(w);
      *height = static_cast<int>(h);
    } else {
      pixels.clear();
    }
    GdipDisposeImage(bitmap);
  }
  GdiplusShutdown(token);
  return pixels;
}

// A plug-in folder as an installation has it: the plug-in, the default skin, a reminder file.
void MakePluginFolder(const ScratchDir& dir) {
  std::string inputs = ProgramFolder() + "host-picture\\";
  ASSERT_TRUE(
      CopyFileA((ProgramFolder() + "Orvendale.plg").c_str(), dir.File("Orvendale.plg").c_str(), 0));
  for (const char* file : {"main.png", "curdate.png", "event.png", "events.txt"})
    ASSERT_TRUE(CopyFileA((inputs + file).c_str(), dir.File(file).c_str(), FALSE)) << file;
}

// The calendar of 11 December 2026 with reminders on the 3rd, the 11th (shown at the bottom, two
// lines) and the 24th, on the default skin and settings. Fonts are smoothed differently from one
// machine to the next, so pixels may differ a little, but the picture may not change: a number
// moved by a few pixels, a missing marker or reminder, or another colour fails.
TEST(HostPictureTest, CalendarOfAFixedDayMatchesTheReference) {
  ScratchDir dir;
  MakePluginFolder(dir);
  std::string picture = dir.File("face.png");
  HostRun run =
      RunHost(Quote(dir.File("Orvendale.plg")) + " --settings " + Quote(dir.File("settings.ini")) +
                  " --today 2026-12-11 --screenshot " + Quote(picture),
              dir);
  ASSERT_EQ(run.ExitCode, 0u) << run.Output;
  EXPECT_NE(run.Output.find("screenshot: " + picture), std::string::npos) << run.Output;

  int width = 0, height = 0, refWidth = 0, refHeight = 0;
  std::vector<uint32_t> actual = LoadPixels(picture, &width, &height);
  std::vector<uint32_t> reference =
      LoadPixels(ProgramFolder() + "host-picture\\reference.png", &refWidth, &refHeight);
  ASSERT_FALSE(actual.empty());
  ASSERT_FALSE(reference.empty());
  // Kept for a look, or as the new reference after an intended change.
  CopyFileA(picture.c_str(), (ProgramFolder() + "host-picture\\actual.png").c_str(), FALSE);
  ASSERT_EQ(width, refWidth);
  ASSERT_EQ(height, refHeight);

  size_t close = 0;
  double total = 0;
  for (size_t i = 0; i < actual.size(); ++i) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      int d = std::abs(static_cast<int>((actual[i] >> shift) & 255) -
                       static_cast<int>((reference[i] >> shift) & 255));
      worst = d > worst ? d : worst;
      total += d;
    }
    if (worst <= 48) ++close;
  }
  double closeShare = static_cast<double>(close) / static_cast<double>(actual.size());
  double meanDifference = total / (4.0 * static_cast<double>(actual.size()));
  EXPECT_GE(closeShare, 0.97) << "see host-picture\\actual.png beside the test program";
  EXPECT_LE(meanDifference, 3.0) << "see host-picture\\actual.png beside the test program";
}

TEST(HostProgramTest, RefusesClearlyWithoutCrashing) {
  ScratchDir dir;
  MakePluginFolder(dir);
  CreateDirectoryA(dir.File("a-folder").c_str(), nullptr);
  std::string settings = " --settings " + Quote(dir.File("settings.ini"));
  struct Case {
    std::string arguments;
    DWORD exitCode;
    const char* says;
  } cases[] = {
      {Quote(dir.File("missing.plg")) + settings, 4, "cannot load the plug-in"},
      {Quote(dir.File("main.png")) + settings, 4, "cannot load the plug-in"},
      {Quote(ProgramFolder() + "tremby.dll") + settings, 4, "is not a plug-in"},
      {Quote(dir.File("Orvendale.plg")) + " --settings " + Quote(dir.File("a-folder")), 3,
       "cannot read the settings file"},
      {Quote(dir.File("Orvendale.plg")) + " --settings " + Quote(dir.File("no\\such\\x.ini")), 3,
       "cannot create the settings file"},
      {Quote(dir.File("Orvendale.plg")) + settings + " --today 2026-02-30", 2, "--today"},
      {Quote(dir.File("Orvendale.plg")) + settings + " --colour red", 2, "unknown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    HostRun run = RunHost(c.arguments, dir);
    EXPECT_EQ(run.ExitCode, c.exitCode) << run.Output;
    EXPECT_NE(run.Output.find("orvendale-host: "), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find(c.says), std::string::npos) << run.Output;
  }
}

}  // namespace
