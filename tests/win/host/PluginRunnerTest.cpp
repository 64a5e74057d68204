// Loading, starting and restarting the plug-in as the host program does, with the settings dialog's
// store access in between: a setting written to the store and a restart give a calendar built with
// the new value at once. The plug-in runs in this process on the reference host's libraries.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "DevHostControl.h"
#include "PluginRunner.h"
#include "SettingsDialog.h"
#include "support/TestEnv.h"

using namespace devhost;

namespace {

const int kHandle = 41;

bool TraceHas(const std::string& text) {
  return std::string(DevTraceText()).find(text) != std::string::npos;
}

// A plug-in folder with the built plug-in and the default skin, and a settings file of its own.
class PluginRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DevResetHost();
    DevSetTracing(1);
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "Orvendale.plg").c_str(), Plugin().c_str(), FALSE));
    for (const char* skin : {"main.png", "curdate.png", "event.png"})
      ASSERT_TRUE(CopyFileA((ProgramFolder() + "host-picture\\" + skin).c_str(),
                            dir_.File(skin).c_str(), FALSE));
    DevSetStoreFile(kHandle, dir_.File("settings.ini").c_str());
    hostData_.SetupTarget = "Calendar";
    context_.HostData = &hostData_;
    context_.SettingsHandle = kHandle;
    context_.HostMainWindow = DevHostMainWindow();
    context_.WindowParam = 1;
  }
  void TearDown() override {
    runner_.Stop();
    DevSetStoreFile(kHandle, nullptr);
    DevResetHost();
  }
  std::string Plugin() const { return dir_.File("Orvendale.plg"); }

  ScratchDir dir_;
  PluginRunner runner_;
  HostDataRecord hostData_{};
  HostContext context_{};
};

TEST_F(PluginRunnerTest, StoredSettingShowsAfterRestart) {
  std::string error;
  ASSERT_TRUE(runner_.Load(Plugin(), &error)) << error;
  ASSERT_NE(runner_.Info(), nullptr);
  DevTraceClear();
  runner_.Start(&context_);
  EXPECT_TRUE(TraceHas("CreateLayer(4, 0, 23, ")) << "the first start uses the default cell size";

  // What the dialog's OK does: read the fields, store the changed ones.
  std::vector<SettingField> fields = ReadSettingFields(kHandle, *runner_.Info());
  ASSERT_EQ(fields.size(), static_cast<size_t>(runner_.Info()->SettingCount));
  std::vector<SettingChange> changes;
  for (SettingField& field : fields) {
    if (field.Row->Key && std::string(field.Row->Key) == "Cell size") {
      EXPECT_EQ(field.Stored, "23");
      field.Edited = "30";
    }
    if (field.Row->Key && std::string(field.Row->Key) == "Color") field.Edited = "008000";
  }
  size_t bad = 0;
  std::string message;
  ASSERT_TRUE(CollectChanges(fields, &changes, &bad, &message)) << message;
  ASSERT_EQ(changes.size(), 2u);
  ASSERT_TRUE(WriteSettingChanges(kHandle, *runner_.Info(), changes));

  DevTraceClear();
  ASSERT_TRUE(runner_.Restart(&error)) << error;
  EXPECT_NE(runner_.Module(), nullptr);
  // The old run was stopped (its pictures released) before the new one read the store.
  std::string trace = DevTraceText();
  EXPECT_TRUE(TraceHas("CreateLayer(4, 0, 30, ")) << trace;
  EXPECT_TRUE(TraceHas("GetCFGHex(\"Color\", 0) = 0x8000")) << trace;
  EXPECT_LT(trace.find("FreePicture"), trace.find("OpenCFGr")) << "stopped before started again";
}

TEST_F(PluginRunnerTest, FixedTodayHoldsAcrossRestarts) {
  // 3 February 2026 is a Tuesday in the second week (the 1st is a Sunday); 28 February a Saturday
  // in the fifth. Today's picture goes to its cell: x = 4 + (column - 1) * 23, y = week * 23.
  struct Case {
    const char* date;
    const char* picture;
  } cases[] = {{"2026-02-03", "AddPicture(3, 27, 46, "},
               {"2026-02-28", "AddPicture(3, 119, 115, "}};
  std::string error;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    SYSTEMTIME today;
    ASSERT_TRUE(ParseIsoDate(c.date, &today));
    runner_.FixToday(today);
    DevTraceClear();
    if (!runner_.Module()) {
      ASSERT_TRUE(runner_.Load(Plugin(), &error)) << error;
      runner_.Start(&context_);
    } else {
      ASSERT_TRUE(runner_.Restart(&error)) << error;
    }
    EXPECT_TRUE(TraceHas(c.picture)) << DevTraceText();
  }
}

TEST_F(PluginRunnerTest, RefusesWhatIsNotAPlugin) {
  struct Case {
    std::string path;
    const char* says;
  } cases[] = {
      {dir_.File("missing.plg"), "cannot load the plug-in"},
      {dir_.File("main.png"), "cannot load the plug-in"},
      {ProgramFolder() + "tremby.dll", "is not a plug-in"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string error;
    EXPECT_FALSE(runner_.Load(c.path, &error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_NE(error.find(c.path), std::string::npos) << "names the file: " << error;
    EXPECT_EQ(runner_.Module(), nullptr);
    EXPECT_EQ(runner_.Info(), nullptr);
  }
  // A tremby.dll still loaded by this program, not one left over by the refused load.
  EXPECT_NE(GetModuleHandleA("tremby.dll"), nullptr);
}

TEST(ParseIsoDateTest, RealDatesOnly) {
  struct Case {
    const char* text;
    bool ok;
    int dayOfWeek;  // 0 Sunday
  } cases[] = {
      {"2026-12-11", true, 5},   {"2024-02-29", true, 4},  {"2026-02-29", false, 0},
      {"2026-13-01", false, 0},  {"2026-00-10", false, 0}, {"2026-1-01", false, 0},
      {"2026-01-01x", false, 0}, {"20260101", false, 0},   {"", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SYSTEMTIME date{};
    EXPECT_EQ(ParseIsoDate(c.text, &date), c.ok);
    if (c.ok) {
      EXPECT_EQ(date.wDayOfWeek, c.dayOfWeek);
    }
  }
}

}  // namespace
