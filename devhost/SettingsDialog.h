// The host's settings dialog for a plug-in, built from the plug-in's settings schema: a heading per
// group row and one control per setting row (a number field, a colour button, a font button, a
// check box, a drop-down list, a path field with a file picker). OK checks every field and stores
// the changed ones in the plug-in's settings section; Cancel stores nothing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "SettingsText.h"
#include "host/PluginAbi.h"

namespace devhost {

// One field per schema row (headings included, with empty texts), each holding the text stored now;
// a missing key reads as empty.
std::vector<SettingField> ReadSettingFields(int settingsHandle, const PluginInfo& info);
// Writes the changes into the plug-in's section in one sequence; false when the store could not be
// written.
bool WriteSettingChanges(int settingsHandle, const PluginInfo& info,
                         const std::vector<SettingChange>& changes);

// Shows the dialog and returns after it closes: true when OK stored at least one change.
bool RunSettingsDialog(HWND owner, int settingsHandle, const PluginInfo& info);

}  // namespace devhost
