// The library's load and unload, and the description handed to the host.
#include <windows.h>

#include "model/MonthGrid.h"
#include "plugin/Plugin.h"
#include "plugin/PluginState.h"

PluginState State;

// The linker's symbol for this module's own image: its module handle, without asking at load time.
extern "C" IMAGE_DOS_HEADER __ImageBase;

HINSTANCE PluginModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

namespace {

const char AboutText[] =
    "Orvendale v1.0\r\n"
    "Show calendar on desktop.\r\n"
    "You can add reminder to certain date.\r\n"
    "Left click on date and write/edit reminder.\r\n"
    "Current reminder show bottom.\r\n"
    "\r\n"
    "Send your offer by improvement.\r\n"
    "\r\n"
    "Written by the Orvendale developers.\r\n"
    "Contact: the Orvendale project's issue tracker.";

const char DisplayName[] = "Calendar";
const char SettingsSectionName[] = "Calendar";

const char* const ZOrderOptions[] = {"Desktop", "Normal", "Always on top"};

// The host builds the settings dialog from this table. Options of the choice row are filled in by
// GetPluginInfo, so the table itself can stay a plain constant initialiser.
SettingDescriptor SettingsSchema[] = {
    {nullptr, KindGroup, "General", 0, 0, nullptr},
    {"XPos", KindInteger, "XPos", 0, 0, nullptr},
    {"YPos", KindInteger, "YPos", 0, 0, nullptr},
    {"Font", KindFont, "Font", 0, 0, nullptr},
    {"Color", KindColor, "Color", 0, 0, nullptr},
    {"WeekEnd color", KindColor, "WeekEnd color", 0, 0, nullptr},
    {"Message font", KindFont, "Message font", 0, 0, nullptr},
    {"Message color", KindColor, "Message color", 0, 0, nullptr},
    {"Input font", KindFont, "Input font", 0, 0, nullptr},
    {"Drop shadow", KindBoolean, "Drop shadow", 0, 0, nullptr},
    {"Cell size", KindInteger, "Cell size", 0, 0, nullptr},
    {"ZOrder", KindChoice, "ZOrder", 0, 2, nullptr},
    {nullptr, KindGroup, "Skin", 0, 0, nullptr},
    {"Main Skin", KindPicture, "Main Skin", 0, 0, nullptr},
    {"Current Date", KindPicture, "Current Date", 0, 0, nullptr},
    {"Event", KindPicture, "Event", 0, 0, nullptr},
};
const int ZOrderRow = 11;
static_assert(sizeof(SettingsSchema) / sizeof(SettingsSchema[0]) == 16, "sixteen schema rows");

}  // namespace

extern "C" PluginInfo* __stdcall GetPluginInfo(void) {
  PluginInfo& info = State.Info;
  info.InfoSize = sizeof(PluginInfo);
  info.DisplayName = DisplayName;
  info.AboutText = AboutText;
  info.SettingsSection = SettingsSectionName;
  info.SettingCount = sizeof(SettingsSchema) / sizeof(SettingsSchema[0]);
  info.Settings = SettingsSchema;
  SettingsSchema[ZOrderRow].Options = ZOrderOptions;
  return &info;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    FillMonthNames();
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Freed by the host (not process exit): let go of the texts and of the window object, unless
    // DoneModule already forgot it.
    State.CurrentKey.clear();
    State.EditText.clear();
    State.EventsPath.clear();
    State.ReminderList.clear();
    if (State.Window != nullptr) {
      State.Window->Vtbl->Release(State.Window);
      State.Window = nullptr;
    }
  }
  return TRUE;
}
