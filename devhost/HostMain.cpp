// orvendale-host: runs a plug-in with the reference host's libraries on the desktop. Loads the
// plug-in, keeps its settings in an INI file (settings handle 1), starts it, answers its host
// messages (the settings dialog, modal boxes), shows a notification-area icon to open the settings
// or quit, and stops the plug-in cleanly on quit.
//   orvendale-host [PLUGIN] [--settings FILE] [--seconds N] [--screenshot FILE.png]
//                  [--today YYYY-MM-DD] [--timing]
#include <windows.h>
// After windows.h, whose types they use.
#include <shellapi.h>
#include <shlobj.h>
// After shlobj.h, which brings in the COM property types that GDI+ declarations use.
#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DevHostControl.h"
#include "PluginRunner.h"
#include "SettingsDialog.h"
#include "host/PluginAbi.h"

using namespace devhost;

namespace {

const int kSettingsHandle = 1;
const UINT_PTR kQuitTimer = 1;
const UINT_PTR kNoFaceTimer = 2;
// A screenshot waits for the plug-in's first refresh (one second after its start); a plug-in that
// never refreshes (its start-up failed) gets this long before the host gives up.
const UINT kNoFaceMs = 10000;
// Messages of the host program's own, posted to its main window.
const UINT kOpenSettings = WM_APP + 1;  // run the dialog outside the plug-in's call
const UINT kTrayMessage = WM_APP + 2;
const UINT kMenuSettings = 1, kMenuQuit = 2;

struct Options {
  std::string Plugin;
  std::string Settings;
  std::string Screenshot;
  int Seconds = 0;
  bool FixToday = false;
  SYSTEMTIME Today{};
  bool Timing = false;
};

// What the main window's procedure needs; one instance, for the program's life.
struct Host {
  PluginRunner Runner;
  HostContext Context{};  // the plug-in keeps pointers into it and into HostData
  HostDataRecord HostData{};
  HWND Main = nullptr;
  bool TrayShown = false;
  int Status = 0;
};
Host g_host;

void Fail(const std::string& message) {
  std::fprintf(stderr, "orvendale-host: %s\n", message.c_str());
  std::fflush(stderr);
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return ".\\";
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Where an installed host keeps the plug-in (..\Orvendale\ beside dist\host\), else beside the exe.
std::string DefaultPlugin() {
  std::string installed = ProgramFolder() + "..\\Orvendale\\Orvendale.plg";
  if (FileExists(installed)) return installed;
  return ProgramFolder() + "Orvendale.plg";
}

std::string DefaultSettingsFile() {
  char appData[MAX_PATH];
  if (SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, appData) != S_OK)
    return ProgramFolder() + "settings.ini";
  std::string folder = std::string(appData) + "\\Orvendale";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder + "\\settings.ini";
}

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--settings" && hasValue) {
      options->Settings = argv[++i];
    } else if (arg == "--seconds" && hasValue) {
      options->Seconds = std::atoi(argv[++i]);
      if (options->Seconds <= 0) {
        Fail("--seconds needs a positive number of seconds");
        return false;
      }
    } else if (arg == "--screenshot" && hasValue) {
      options->Screenshot = argv[++i];
    } else if (arg == "--today" && hasValue) {
      options->FixToday = ParseIsoDate(argv[++i], &options->Today);
      if (!options->FixToday) {
        Fail(std::string("--today needs a date as YYYY-MM-DD, not ") + argv[i]);
        return false;
      }
    } else if (arg == "--timing") {
      options->Timing = true;
    } else if (arg.compare(0, 2, "--") != 0 && options->Plugin.empty()) {
      options->Plugin = arg;
    } else {
      Fail("unknown or incomplete option " + arg);
      return false;
    }
  }
  if (options->Plugin.empty()) options->Plugin = DefaultPlugin();
  if (options->Settings.empty()) options->Settings = DefaultSettingsFile();
  return true;
}

// The store must be readable now and writable later: an existing file is opened for reading, a
// missing one is created empty (the plug-in writes its defaults into it at its first start).
bool CheckSettingsFile(const std::string& path, std::string* error) {
  bool existed = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            existed ? OPEN_EXISTING : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = (existed ? "cannot read the settings file " : "cannot create the settings file ") +
             path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  CloseHandle(file);
  return true;
}

double MillisecondsSinceStart() {
  FILETIME created, exited, kernel, user, now;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER a, b;
  a.LowPart = created.dwLowDateTime;
  a.HighPart = created.dwHighDateTime;
  b.LowPart = now.dwLowDateTime;
  b.HighPart = now.dwHighDateTime;
  return static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0;
}

bool SavePng(const std::vector<uint32_t>& pixels, int width, int height, const std::string& path) {
  using namespace Gdiplus;
  using namespace Gdiplus::DllExports;
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (GdiplusStartup(&token, &input, nullptr) != Ok) return false;
  bool ok = false;
  GpBitmap* bitmap = nullptr;
  // The composition is premultiplied; GDI+ un-premultiplies when it writes the PNG.
  if (GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB,
                                reinterpret_cast<BYTE*>(const_cast<uint32_t*>(pixels.data())),
                                &bitmap) == Ok) {
    const CLSID png = {
        0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    std::vector<WCHAR> wide(path.size() + 1);
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    ok = GdipSaveImageToFile(bitmap, wide.data(), &png, nullptr) == Ok;
    GdipDisposeImage(bitmap);
  }
  GdiplusShutdown(token);
  return ok;
}

HWND CalendarWindow() {
  HostWindow* window = DevLastWindow();
  return window ? window->Vtbl->GetHandle(window) : nullptr;
}

bool TakeScreenshot(const std::string& path) {
  HostWindow* window = DevLastWindow();
  if (!window) return false;
  RECT client{};
  GetClientRect(window->Vtbl->GetHandle(window), &client);
  int width = client.right, height = client.bottom;
  if (width <= 0 || height <= 0) return false;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  return DevRenderWindow(window, pixels.data(), width, height) &&
         SavePng(pixels, width, height, path);
}

void ShowTrayIcon(HWND main) {
  NOTIFYICONDATAA icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = main;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  icon.uCallbackMessage = kTrayMessage;
  icon.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  std::strncpy(icon.szTip, "Orvendale calendar", sizeof icon.szTip - 1);
  g_host.TrayShown = Shell_NotifyIconA(NIM_ADD, &icon) != FALSE;
}

void HideTrayIcon(HWND main) {
  if (!g_host.TrayShown) return;
  NOTIFYICONDATAA icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = main;
  icon.uID = 1;
  Shell_NotifyIconA(NIM_DELETE, &icon);
  g_host.TrayShown = false;
}

void ShowTrayMenu(HWND main) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuA(menu, MF_STRING, kMenuSettings, "Settings...");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kMenuQuit, "Quit");
  POINT at;
  GetCursorPos(&at);
  // Without being the foreground window the menu would not close when clicked away from.
  SetForegroundWindow(main);
  UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, main, nullptr));
  PostMessageA(main, WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (chosen == kMenuSettings) PostMessageA(main, kOpenSettings, 0, 0);
  if (chosen == kMenuQuit) PostQuitMessage(0);
}

// The dialog edits the stored settings; the plug-in reads them only when it starts, so a stored
// change restarts it and the calendar shows the change at once.
void OpenSettings(HWND main) {
  const PluginInfo* info = g_host.Runner.Info();
  if (!info) return;
  HostNoteModal(1);
  bool stored = RunSettingsDialog(main, kSettingsHandle, *info);
  HostNoteModal(0);
  if (!stored) return;
  std::string error;
  if (!g_host.Runner.Restart(&error)) {
    Fail(error);
    MessageBoxA(nullptr, error.c_str(), "Orvendale host", MB_OK | MB_ICONERROR);
    g_host.Status = 3;
    PostQuitMessage(g_host.Status);
  }
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case HostOpenSettings:
      // The plug-in is inside its menu command now; it must have returned before a restart
      // unloads it, so the dialog runs from the message loop.
      PostMessageA(hwnd, kOpenSettings, 0, 0);
      return 0;
    case HostBeginModal:
      HostNoteModal(1);
      return 0;
    case HostEndModal:
      HostNoteModal(0);
      return 0;
    case kOpenSettings:
      OpenSettings(hwnd);
      return 0;
    case kTrayMessage:
      if (lParam == WM_RBUTTONUP || lParam == WM_CONTEXTMENU) ShowTrayMenu(hwnd);
      if (lParam == WM_LBUTTONDBLCLK) PostMessageA(hwnd, kOpenSettings, 0, 0);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

DWORD g_mainThread = 0;

BOOL WINAPI OnConsoleControl(DWORD) {
  PostThreadMessageA(g_mainThread, WM_QUIT, 0, 0);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: orvendale-host [PLUGIN] [--settings FILE] [--seconds N] "
                 "[--screenshot FILE.png] [--today YYYY-MM-DD] [--timing]\n");
    return 2;
  }
  std::printf("plug-in: %s\nsettings: %s\n", options.Plugin.c_str(), options.Settings.c_str());
  std::fflush(stdout);

  std::string error;
  if (!CheckSettingsFile(options.Settings, &error)) {
    Fail(error);
    return 3;
  }
  DevSetStoreFile(kSettingsHandle, options.Settings.c_str());
  DevSetTracing(0);  // nobody reads it here, and it would grow for as long as the host runs

  if (options.FixToday) g_host.Runner.FixToday(options.Today);
  if (!g_host.Runner.Load(options.Plugin, &error)) {
    Fail(error);
    return 4;
  }

  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = "OrvendaleHostProgram";
  RegisterClassExA(&wc);
  g_host.Main = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "Orvendale host", WS_POPUP, 0,
                                0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (!g_host.Main) {
    Fail("cannot create the main window");
    return 5;
  }
  g_mainThread = GetCurrentThreadId();
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);

  const PluginInfo* info = g_host.Runner.Info();
  if (info && info->DisplayName) std::printf("running: %s\n", info->DisplayName);
  std::fflush(stdout);

  g_host.HostData.SetupTarget = "Calendar";
  g_host.Context.HostData = &g_host.HostData;
  g_host.Context.SettingsHandle = kSettingsHandle;
  g_host.Context.HostMainWindow = g_host.Main;
  g_host.Context.WindowParam = 1;
  g_host.Runner.Start(&g_host.Context);
  if (options.Timing)
    std::printf("timing: plug-in started, window shown after %.0f ms\n", MillisecondsSinceStart());
  std::fflush(stdout);

  bool headless = !options.Screenshot.empty();
  if (!headless) ShowTrayIcon(g_host.Main);
  if (options.Seconds > 0)
    SetTimer(g_host.Main, kQuitTimer, static_cast<UINT>(options.Seconds) * 1000, nullptr);
  if (headless) SetTimer(g_host.Main, kNoFaceTimer, kNoFaceMs, nullptr);

  bool refreshed = false;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == g_host.Main && msg.message == WM_TIMER) {
      if (msg.wParam == kNoFaceTimer) {
        Fail("the plug-in drew no face within " + std::to_string(kNoFaceMs / 1000) + " s");
        g_host.Status = 6;
      }
      PostQuitMessage(g_host.Status);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    // The plug-in's timer (identifier 0) runs its refresh, which ends by presenting the face; the
    // first one completes the face: month name, markers and today's reminder included.
    if (!refreshed && msg.message == WM_TIMER && msg.wParam == 0 && msg.hwnd &&
        msg.hwnd == CalendarWindow()) {
      refreshed = true;
      if (options.Timing) {
        std::printf("timing: first complete face after %.0f ms\n", MillisecondsSinceStart());
        std::fflush(stdout);  // whoever waits for the face reads this line as it comes
      }
      if (headless) {
        if (TakeScreenshot(options.Screenshot)) {
          std::printf("screenshot: %s\n", options.Screenshot.c_str());
        } else {
          Fail("could not write a picture of the calendar to " + options.Screenshot);
          g_host.Status = 6;
        }
        PostQuitMessage(g_host.Status);
      }
      std::fflush(stdout);
    }
  }

  KillTimer(g_host.Main, kQuitTimer);
  KillTimer(g_host.Main, kNoFaceTimer);
  HideTrayIcon(g_host.Main);
  g_host.Runner.Stop();
  DestroyWindow(g_host.Main);
  return g_host.Status;
}
