#include "ui/WindowMessages.h"

#include <cstring>

#include "face/Face.h"
#include "plugin/PluginState.h"
#include "settings/Settings.h"
#include "ui/ReminderEditor.h"

namespace {

// "/" and at most this many characters of the host's setup target, then a zero.
const size_t SetupTargetLimit = 259;

void SendHostMessage(UINT message, LPARAM lParam) {
  SendMessageA(State.Context.HostMainWindow, message, 0, lParam);
}

}  // namespace

void ShowSetupMenu(HWND window) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, CmdSetup, "Setup calendar");
  // The message's own position is not used, so a menu asked for from the keyboard opens at the
  // pointer too.
  GetCursorPos(&State.CursorPos);
  SendHostMessage(HostBeginModal, 0);
  TrackPopupMenuEx(menu, 0, State.CursorPos.x, State.CursorPos.y, window, nullptr);
  SendHostMessage(HostEndModal, 0);
  DestroyMenu(menu);
}

void RequestSettingsDialog() {
  char request[PathBufferSize];
  request[0] = '/';
  size_t length = 0;
  // A host without its record, or without a target in it, still gets a well-formed request.
  const HostDataRecord* host = State.Context.HostData;
  const char* target = host != nullptr ? host->SetupTarget : nullptr;
  if (target != nullptr) {
    while (length < SetupTargetLimit && target[length] != '\0') ++length;
    std::memcpy(request + 1, target, length);
  }
  request[1 + length] = '\0';
  SendHostMessage(HostOpenSettings, reinterpret_cast<LPARAM>(request));
}

LRESULT CALLBACK CalendarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CONTEXTMENU:
    case WM_RBUTTONUP:
      ShowSetupMenu(window);
      return 1;
    case WM_COMMAND:
      if (LOWORD(wParam) == CmdSetup) {
        RequestSettingsDialog();
        return 1;
      }
      return HandleEditorNotification(wParam, lParam);
    case WM_TIMER:
      RefreshFace();
      return 1;
    case WM_LBUTTONUP:
      OpenReminderEditor();
      return 1;
    case WM_EXITSIZEMOVE:
      SavePosition();
      return 0;
    default:
      return 0;
  }
}
