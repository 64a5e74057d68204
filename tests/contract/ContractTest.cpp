// The plug-in file as the host sees it: a DLL with exactly three undecorated entry points, importing
// from the host's libraries only what the host offers and otherwise only Windows system libraries
// (the C++ runtime is linked in, so no MinGW runtime DLL has to travel with it).
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

#include "PeImage.h"

namespace {

const std::set<std::string> HostLibraryServices = {
    "OpenCFGr",  "OpenCFGw",   "FindSection", "Scan",        "GetCFGInt",    "GetCFGHex",
    "GetCFGBool", "GetCFGFont", "GetCFGString", "SetCFGInt",  "SetCFGString", "CloseCFGr",
    "CloseCFGw", "CheckInt",   "LoadImageEx", "DrawPicture", "FreePicture",  "strcopy"};

const std::set<std::string> SystemLibraries = {"kernel32.dll", "user32.dll", "gdi32.dll",
                                               "msvcrt.dll", "advapi32.dll"};

struct Build {
  const char* name;
  const char* path;
  unsigned machine;
};

void PrintTo(const Build& build, std::ostream* out) { *out << build.path; }

class PluginFile : public ::testing::TestWithParam<Build> {};

TEST_P(PluginFile, IsADllOfTheRightMachine) {
  PeImage image = ReadPeImage(GetParam().path);
  ASSERT_TRUE(image.Valid) << GetParam().path;
  EXPECT_TRUE(image.IsDll);
  EXPECT_EQ(image.Machine, GetParam().machine);
}

TEST_P(PluginFile, ExportsExactlyTheThreeEntryPointsUndecorated) {
  PeImage image = ReadPeImage(GetParam().path);
  ASSERT_TRUE(image.Valid);
  EXPECT_EQ(image.Exports, (std::set<std::string>{"DoneModule", "GetPluginInfo", "InitGlobalModule"}));
}

TEST_P(PluginFile, ImportsOnlyWhatTheHostAndWindowsOffer) {
  PeImage image = ReadPeImage(GetParam().path);
  ASSERT_TRUE(image.Valid);
  EXPECT_EQ(image.Imports["bexilex.dll"], (std::set<std::string>{"CreateBexilWND"}));
  ASSERT_TRUE(image.Imports.count("tremby.dll"));
  for (const std::string& name : image.Imports["tremby.dll"])
    EXPECT_TRUE(HostLibraryServices.count(name)) << "tremby.dll!" << name;
  for (const auto& [library, names] : image.Imports) {
    if (library == "bexilex.dll" || library == "tremby.dll") continue;
    const bool system = SystemLibraries.count(library) || library.rfind("api-ms-win-", 0) == 0;
    EXPECT_TRUE(system) << "unexpected library " << library;
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, PluginFile,
                         ::testing::Values(Build{"product32", ORV_PRODUCT_PLUGIN, 0x14c},
                                           Build{"test64", ORV_TEST_PLUGIN, 0x8664}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
