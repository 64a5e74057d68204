#include "settings/Settings.h"

#include <string>

#include "plugin/PluginState.h"

namespace {

const char Section[] = "Calendar";

// The first start's values, written in this order, every number as text.
void WriteDefaults(ConfigCursor* cursor) {
  const std::string dir = State.PluginDir;
  const std::string mainSkin = dir + "main.png";
  const std::string curDate = dir + "curdate.png";
  const std::string event = dir + "event.png";
  const struct {
    const char* key;
    const char* value;
  } defaults[] = {
      {"Cell size", "23"},
      {"WeekEnd color", "b7"},
      {"Hint font", "Comic Sans MS,8,000,0"},
      {"Input font", "Comic Sans MS,8,000,0"},
      {"Message font", "Comic Sans MS,9,000,204"},
      {"Message color", "800000"},
      {"XPos", "400"},
      {"YPos", "500"},
      {"Font", "Comic Sans MS,11,100,204"},
      {"Color", "800000"},
      {"Main Skin", mainSkin.c_str()},
      {"Current Date", curDate.c_str()},
      {"Event", event.c_str()},
      {"Drop shadow", "0"},
      {"ZOrder", "0"},
  };
  for (const auto& entry : defaults) SetCFGString(entry.key, entry.value, cursor);
}

}  // namespace

COLORREF SwapRedBlue(COLORREF colour) {
  return ((colour >> 16) & 0xFF) | (colour & 0xFF00) | ((colour & 0xFF) << 16);
}

void LoadSettings() {
  const int handle = State.Context.SettingsHandle;
  ConfigCursor* cursor = &State.SettingsCursor;

  // The section counts as set up once it holds "Font"; nothing else is looked at.
  OpenCFGr(handle, cursor);
  FindSection(Section, 0, cursor);
  const bool initialised = Scan("Font", cursor) != 0;
  CloseCFGr(cursor);

  if (!initialised) {
    OpenCFGw(handle, cursor);
    FindSection(Section, 1, cursor);
    WriteDefaults(cursor);
    CloseCFGw(handle, 0, cursor);
  }

  OpenCFGr(handle, cursor);
  FindSection(Section, 0, cursor);
  State.XPos = GetCFGInt("XPos", 0, cursor);
  CheckInt(&State.XPos, 0, GetSystemMetrics(SM_CXSCREEN) - 8, 0);
  State.YPos = GetCFGInt("YPos", 1, cursor);
  CheckInt(&State.YPos, 0, GetSystemMetrics(SM_CYSCREEN) - 8, 0);
  State.TextColor = GetCFGHex("Color", 0, cursor);
  State.WeekEndColor = GetCFGHex("WeekEnd color", 0, cursor);
  State.MessageColor = GetCFGHex("Message color", 0, cursor);
  GetCFGFont("Font", &State.HeaderFontSpec, cursor);
  GetCFGFont("Message font", &State.MessageFontSpec, cursor);
  GetCFGFont("Input font", &State.InputFontSpec, cursor);
  State.CellSize = GetCFGInt("Cell size", 1, cursor);
  State.DropShadow = GetCFGBool("Drop shadow", 0, cursor);
  GetCFGString("Main Skin", "", State.MainSkinPath, PathBufferSize - 1, cursor);
  GetCFGString("Current Date", "", State.CurDateSkinPath, PathBufferSize - 1, cursor);
  GetCFGString("Event", "", State.EventSkinPath, PathBufferSize - 1, cursor);
  State.ZOrder = GetCFGInt("ZOrder", 1, cursor);
  CloseCFGr(cursor);

  // A cell size of 0 or below would divide by zero and give layers of negative size; a huge one
  // would overflow the face's arithmetic. Such values fall back to something drawable.
  if (State.CellSize <= 0) State.CellSize = DefaultCellSize;
  if (State.CellSize > MaximumCellSize) State.CellSize = MaximumCellSize;

  State.TextColor = SwapRedBlue(State.TextColor);
  State.WeekEndColor = SwapRedBlue(State.WeekEndColor);
  State.MessageColor = SwapRedBlue(State.MessageColor);
  State.EventsPath = std::string(State.PluginDir) + "events.txt";
}

void SavePosition() {
  if (State.Window == nullptr) return;
  const int handle = State.Context.SettingsHandle;
  ConfigCursor cursor = {};
  OpenCFGw(handle, &cursor);
  FindSection(Section, 1, &cursor);
  RECT rect = {};
  GetWindowRect(State.Window->Vtbl->GetHandle(State.Window), &rect);
  State.XPos = rect.left;
  State.YPos = rect.top;
  SetCFGInt("XPos", State.XPos, &cursor);
  SetCFGInt("YPos", State.YPos, &cursor);
  CloseCFGw(handle, 0, &cursor);
}
