// The plug-in's own side of the boundary: the records exchanged at its three exported entry points and
// the messages it sends to the host's main window. Shared by the plug-in and the reference host.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

extern "C" {

#pragma pack(push, 4)

// How the host's settings dialog shows a key, and how the plug-in reads it.
enum SettingKind : int32_t {
  KindBoolean = 1,   // GetCFGBool
  KindInteger = 2,   // GetCFGInt
  KindColor = 6,     // GetCFGHex, hexadecimal text, red first
  KindFont = 12,     // GetCFGFont
  KindPicture = 14,  // GetCFGString, a file path of at most 260 characters
  KindChoice = 16,   // GetCFGInt, the index of one of the row's option texts
  KindGroup = 26,    // a heading; no key, stores nothing
};

// One row of the schema from which the host builds the plug-in's settings dialog.
struct SettingDescriptor {
  const char* Key;             // null for a group heading
  int32_t Kind;                // a SettingKind
  const char* Caption;         // the key itself, or the group's heading
  int32_t Reserved;            // always 0
  int32_t MaxIndex;            // a choice's highest option index, else 0
  const char* const* Options;  // a choice's option texts in index order, else null
};

// What GetPluginInfo returns; lives as long as the library.
struct PluginInfo {
  int32_t InfoSize;  // the record's size in bytes
  const char* DisplayName;
  const char* AboutText;
  const char* SettingsSection;
  int32_t SettingCount;
  const SettingDescriptor* Settings;
};

// The host's own record that HostContext::HostData points at. The plug-in reads one word of it.
struct HostDataRecord {
  uint8_t HostOwned[160];
  const char* SetupTarget;  // sent back after "/" with HostOpenSettings
};

// What the host hands to InitGlobalModule; the plug-in keeps a copy and reads four fields.
struct HostContext {
  uint32_t HostOwned0;
  HostDataRecord* HostData;  // must stay valid while the plug-in runs
  uint32_t HostOwned8[4];
  int32_t SettingsHandle;  // first argument of OpenCFGr, OpenCFGw and CloseCFGw
  HWND HostMainWindow;     // receives the host messages below
  int32_t WindowParam;     // passed twice, unchanged, to CreateBexilWND
  uint32_t HostOwned36[19];
};

#pragma pack(pop)

static_assert(offsetof(SettingDescriptor, Kind) == sizeof(void*), "Kind follows Key");
static_assert(offsetof(HostDataRecord, SetupTarget) == 160, "SetupTarget at byte 160");
// The byte layouts are the 32-bit contract; the x86-64 test build widens the pointers (see drawpng.h).
#if !defined(_WIN64)
static_assert(sizeof(PluginInfo) == 24, "PluginInfo is 24 bytes");
static_assert(offsetof(PluginInfo, Settings) == 20, "PluginInfo::Settings at byte 20");
static_assert(sizeof(SettingDescriptor) == 24, "SettingDescriptor is 24 bytes");
static_assert(offsetof(SettingDescriptor, MaxIndex) == 16 && offsetof(SettingDescriptor, Options) == 20,
              "SettingDescriptor fields");
static_assert(sizeof(HostContext) == 112, "HostContext is 112 bytes");
static_assert(offsetof(HostContext, HostData) == 4 && offsetof(HostContext, SettingsHandle) == 24 &&
                  offsetof(HostContext, HostMainWindow) == 28 &&
                  offsetof(HostContext, WindowParam) == 32,
              "HostContext fields");
#endif

// Messages sent with SendMessageA to HostContext::HostMainWindow.
enum : UINT {
  HostOpenSettings = 0x7FD9,  // lParam: "/" followed by SetupTarget
  HostEndModal = 0x7FE1,      // just after a modal box or menu closed
  HostBeginModal = 0x7FE2,    // just before one opens
};

// The three exports of the plug-in, as the host calls them.
typedef PluginInfo*(__stdcall* GetPluginInfoProc)(void);
typedef void(__stdcall* InitGlobalModuleProc)(const HostContext* context);
typedef void(__stdcall* DoneModuleProc)(void);

}  // extern "C"
