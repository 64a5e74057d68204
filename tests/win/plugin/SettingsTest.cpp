// The plug-in's settings: the first start's defaults, the reading order, the position clamps, the
// colour conversion, the cell size guard, and storing the position after a move.
#include <gtest/gtest.h>

#include <set>

#include "support/PluginHarness.h"

namespace {

int screenWidth = 1280, screenHeight = 1024;
int WINAPI FixedSystemMetrics(int index) {
  if (index == SM_CXSCREEN) return screenWidth;
  if (index == SM_CYSCREEN) return screenHeight;
  return GetSystemMetrics(index);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The trace lines of the settings services, in order.
std::vector<std::string> StoreCalls() {
  static const std::set<std::string> services = {
      "OpenCFGr", "OpenCFGw", "FindSection", "Scan", "GetCFGInt", "GetCFGHex", "GetCFGBool",
      "GetCFGFont", "GetCFGString", "SetCFGInt", "SetCFGString", "CloseCFGr", "CloseCFGw", "CheckInt"};
  std::vector<std::string> calls;
  for (const std::string& line : PluginHarness::Trace())
    if (services.count(line.substr(0, line.find('(')))) calls.push_back(line);
  return calls;
}

// Each call must begin with its expected text, one for one.
void ExpectCalls(const std::vector<std::string>& calls, const std::vector<std::string>& expected) {
  ASSERT_EQ(calls.size(), expected.size());
  for (size_t i = 0; i < calls.size(); ++i)
    EXPECT_TRUE(StartsWith(calls[i], expected[i])) << "call " << i << ": " << calls[i] << "\nexpected: " << expected[i];
}

const std::vector<std::string> FirstRunTest = {"OpenCFGr(", "FindSection(\"Calendar\", 0", "Scan(\"Font\"",
                                               "CloseCFGr("};
const std::vector<std::string> Reading = {
    "OpenCFGr(",
    "FindSection(\"Calendar\", 0",
    "GetCFGInt(\"XPos\", 0)",
    "CheckInt(",
    "GetCFGInt(\"YPos\", 1)",
    "CheckInt(",
    "GetCFGHex(\"Color\", 0)",
    "GetCFGHex(\"WeekEnd color\", 0)",
    "GetCFGHex(\"Message color\", 0)",
    "GetCFGFont(\"Font\"",
    "GetCFGFont(\"Message font\"",
    "GetCFGFont(\"Input font\"",
    "GetCFGInt(\"Cell size\", 1)",
    "GetCFGBool(\"Drop shadow\", 0)",
    "GetCFGString(\"Main Skin\", \"\"",
    "GetCFGString(\"Current Date\", \"\"",
    "GetCFGString(\"Event\", \"\"",
    "GetCFGInt(\"ZOrder\", 1)",
    "CloseCFGr(",
};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    screenWidth = 1280;
    screenHeight = 1024;
    metricsPatch_ = host_.Plugin().Patch("USER32.dll", "GetSystemMetrics", reinterpret_cast<void*>(FixedSystemMetrics));
    host_.WriteSkins();
  }

  // The window's position as the plug-in asked for it.
  std::string CreatedAt() {
    std::vector<std::string> calls = PluginHarness::TraceOf("CreateBexilWND(");
    if (calls.size() != 1) return "no window";
    const std::string& call = calls[0];
    size_t second = call.find(", ", call.find(", ") + 2);
    return call.substr(15, second - 15);
  }

  PluginHarness host_;
  std::unique_ptr<ImportPatch> metricsPatch_;
};

TEST_F(Settings, NewStoreGetsEveryDefaultInOrderThenIsReadInOrder) {
  host_.Start();
  const std::string dir = host_.Plugin().Folder();
  std::vector<std::string> defaults = {
      "OpenCFGw(",
      "FindSection(\"Calendar\", 1",
      "SetCFGString(\"Cell size\", \"23\")",
      "SetCFGString(\"WeekEnd color\", \"b7\")",
      "SetCFGString(\"Hint font\", \"Comic Sans MS,8,000,0\")",
      "SetCFGString(\"Input font\", \"Comic Sans MS,8,000,0\")",
      "SetCFGString(\"Message font\", \"Comic Sans MS,9,000,204\")",
      "SetCFGString(\"Message color\", \"800000\")",
      "SetCFGString(\"XPos\", \"400\")",
      "SetCFGString(\"YPos\", \"500\")",
      "SetCFGString(\"Font\", \"Comic Sans MS,11,100,204\")",
      "SetCFGString(\"Color\", \"800000\")",
      "SetCFGString(\"Main Skin\", \"" + dir + "main.png\")",
      "SetCFGString(\"Current Date\", \"" + dir + "curdate.png\")",
      "SetCFGString(\"Event\", \"" + dir + "event.png\")",
      "SetCFGString(\"Drop shadow\", \"0\")",
      "SetCFGString(\"ZOrder\", \"0\")",
      "CloseCFGw(",
  };
  ExpectCalls(StoreCalls(), Concat(Concat(FirstRunTest, defaults), Reading));
  EXPECT_EQ(host_.StoredSetting("Hint font"), "Comic Sans MS,8,000,0");
  EXPECT_EQ(CreatedAt(), "400, 500");
  EXPECT_NE(PluginHarness::TraceOf("CreateBexilWND(")[0].find(", 77, 0, 11, "), std::string::npos) << "ZOrder 0";
}

TEST_F(Settings, StoreHoldingFontIsNotRepairedAndMissingKeysReadAsTheHostAnswers) {
  host_.WriteSettings({"Font=Arial,10,000,0"});
  host_.Start();
  ExpectCalls(StoreCalls(), Concat(FirstRunTest, Reading));
  EXPECT_EQ(host_.StoredSetting("XPos"), "");
  EXPECT_EQ(CreatedAt(), "0, 0");
}

TEST_F(Settings, StoreWithoutFontGetsAllDefaultsBackOverTheUsersValues) {
  host_.WriteSettings({"XPos=50", "Color=123456"});
  host_.Start();
  EXPECT_EQ(host_.StoredSetting("XPos"), "400");
  EXPECT_EQ(host_.StoredSetting("Color"), "800000");
  EXPECT_EQ(CreatedAt(), "400, 500");
}

TEST_F(Settings, PositionIsBroughtOntoThePrimaryScreen) {
  const struct {
    const char* x;
    const char* y;
    const char* expected;
  } cases[] = {
      {"5000", "5000", "792, 592"},
      {"-30", "-1", "0, 0"},
      {"792", "592", "792, 592"},
      {"100", "200", "100, 200"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.x) + "," + c.y);
    DevTraceClear();
    screenWidth = 800;
    screenHeight = 600;
    host_.WriteCompleteSettings();
    WritePrivateProfileStringA("Calendar", "XPos", c.x, host_.SettingsFile().c_str());
    WritePrivateProfileStringA("Calendar", "YPos", c.y, host_.SettingsFile().c_str());
    DevSetNoWindow(1);  // the position is all this case needs
    host_.Start();
    EXPECT_EQ(CreatedAt(), c.expected);
  }
}

TEST_F(Settings, ColoursAreTurnedIntoWindowsOrder) {
  // 1 December 2026 is a Tuesday, the 5th a Saturday.
  host_.WriteCompleteSettings();
  WritePrivateProfileStringA("Calendar", "Message color", "000000", host_.SettingsFile().c_str());
  host_.Start();
  auto drawnWith = [](const std::string& day) {
    for (const std::string& line : PluginHarness::TraceOf("DrawLayerText("))
      if (line.find(", \"" + day + "\", ") != std::string::npos) return line;
    return std::string("not drawn");
  };
  EXPECT_NE(drawnWith("1").find(", 0x000080, "), std::string::npos) << drawnWith("1");
  EXPECT_NE(drawnWith("5").find(", 0xB70000, "), std::string::npos) << drawnWith("5");
  host_.Send(WM_TIMER);
  std::vector<std::string> texts = PluginHarness::TraceOf("DrawTextDC(");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[0].find(", 5, 0x000080, "), std::string::npos) << texts[0];
  EXPECT_NE(texts[1].find(", 17, 0x000000, "), std::string::npos) << texts[1];
}

TEST_F(Settings, UnusableCellSizeFallsBackToSomethingDrawable) {
  const struct {
    const char* stored;
    int used;
  } cases[] = {{"0", 23}, {"-5", 23}, {"30", 30}, {"2000000000", 1000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    PluginHarness host;
    host.WriteSkins();
    host.WriteCompleteSettings();
    WritePrivateProfileStringA("Calendar", "Cell size", c.stored, host.SettingsFile().c_str());
    host.Start();
    std::vector<std::string> layers = PluginHarness::TraceOf("CreateLayer(4, 0, ");
    ASSERT_EQ(layers.size(), 1u);
    EXPECT_TRUE(StartsWith(layers[0], "CreateLayer(4, 0, " + std::to_string(c.used) + ", ")) << layers[0];
    host.Send(WM_TIMER);  // the refresh runs with it too
    EXPECT_EQ(PluginHarness::TraceOf("Redraw(").size(), 1u);
  }
}

TEST_F(Settings, EndOfAMoveKeepsTheNewPositionInStateAndStore) {
  host_.WriteCompleteSettings();
  host_.Start();
  SetWindowPos(host_.WindowHandle(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(host_.Send(WM_EXITSIZEMOVE), 0);
  EXPECT_EQ(host_.StoredSetting("XPos"), "10");
  EXPECT_EQ(host_.StoredSetting("YPos"), "20");
  // A position partly off the screen is stored raw; the next start corrects it.
  SetWindowPos(host_.WindowHandle(), nullptr, -40, 5000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  host_.Send(WM_EXITSIZEMOVE);
  EXPECT_EQ(host_.StoredSetting("XPos"), "-40");
  EXPECT_EQ(host_.StoredSetting("YPos"), "5000");
}

}  // namespace
