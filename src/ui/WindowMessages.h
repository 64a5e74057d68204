// The calendar window's callback: the host calls it for every message of the window.
#pragma once

#include <windows.h>

// 1 when the plug-in consumed the message, 0 to leave it to the host.
LRESULT CALLBACK CalendarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The one-item context menu at the pointer, owned by `window`.
void ShowSetupMenu(HWND window);
// Asks the host to open the plug-in's settings dialog.
void RequestSettingsDialog();

// Identifier of the menu's only item.
enum : int { CmdSetup = 10 };
