// Start-up and shut-down of the plug-in.
#include <windows.h>

#include <cstring>

#include "face/Face.h"
#include "plugin/Plugin.h"
#include "plugin/PluginState.h"
#include "settings/Settings.h"
#include "ui/WindowMessages.h"

namespace {

// Everything up to and including the last backslash of the plug-in's own file name.
void FindPluginDir() {
  char* dir = State.PluginDir;
  DWORD length = GetModuleFileNameA(PluginModule(), dir, PathBufferSize);
  if (length >= static_cast<DWORD>(PathBufferSize)) length = PathBufferSize - 1;
  dir[length] = '\0';
  for (DWORD i = length; i > 0; --i) {
    if (dir[i - 1] == '\\') {
      dir[i] = '\0';
      return;
    }
  }
}

void SendHostMessage(UINT message, LPARAM lParam) {
  SendMessageA(State.Context.HostMainWindow, message, 0, lParam);
}

}  // namespace

void ShowError(const char* message) {
  SendHostMessage(HostBeginModal, 0);
  MessageBoxA(nullptr, message, "Error", MB_OK | MB_ICONWARNING | MB_TOPMOST);
  SendHostMessage(HostEndModal, 0);
}

extern "C" void __stdcall InitGlobalModule(const HostContext* context) {
  std::memcpy(&State.Context, context, sizeof(HostContext));
  FindPluginDir();
  LoadSettings();

  int flags = State.ZOrder == 0 ? HostWindowFlagsDesktop : HostWindowFlagsNormal;
  State.Window = CreateBexilWND(State.XPos, State.YPos, State.Context.WindowParam, State.ZOrder,
                                flags, CalendarWndProc, State.Context.WindowParam, 0);
  if (State.Window == nullptr) {
    ShowError("Bexil window wasn't created");
    return;
  }
  State.Window->Vtbl->AddRef(State.Window);

  if (State.Window->Vtbl->GetVersion(State.Window) < HostMinimumVersion) {
    ShowError("Old version of Bexil! Please update Bexil");
    return;
  }

  State.SkinIndex = State.Window->Vtbl->LoadSkin(State.Window, State.MainSkinPath);
  if (State.SkinIndex < 0) ShowError("Please load skin!");

  BuildFace();
  State.Window->Vtbl->SetVisible(State.Window, 1);
  SetTimer(State.Window->Vtbl->GetHandle(State.Window), 0, 1000, nullptr);
}

extern "C" void __stdcall DoneModule(void) {
  if (State.Window != nullptr) {
    DestroyWindow(State.Window->Vtbl->GetHandle(State.Window));
    // The host keeps the object; the reference taken at start-up is deliberately not released.
    State.Window = nullptr;
  }
  // Zeroed after release, so that a second DoneModule hands the host all-zero records.
  FreePicture(&State.TodayPicture);
  std::memset(&State.TodayPicture, 0, sizeof State.TodayPicture);
  FreePicture(&State.EventPicture);
  std::memset(&State.EventPicture, 0, sizeof State.EventPicture);
  ReleaseFaceFonts();
}
