// orvendale-host: runs a plug-in with the reference host's libraries. Loads the plug-in, maps
// settings handle 1 to an INI file, starts the plug-in, runs the message loop, and stops it cleanly
// on quit.
//   orvendale-host [PLUGIN] [--settings FILE] [--seconds N] [--screenshot FILE.png]
#include <windows.h>
#include <shlobj.h>
// After shlobj.h, which brings in the COM property types that GDI+ declarations use.
#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DevHostControl.h"
#include "host/PluginAbi.h"

namespace {

const UINT_PTR kQuitTimer = 1;
const UINT_PTR kScreenshotTimer = 2;
// The plug-in's first refresh comes one second after start-up; the picture is taken after it.
const UINT kScreenshotDelayMs = 1500;
const int kSettingsHandle = 1;

struct Options {
  std::string Plugin;
  std::string Settings;
  std::string Screenshot;
  int Seconds = 0;
};

std::string ProgramFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return ".\\";
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
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
    } else if (arg == "--screenshot" && hasValue) {
      options->Screenshot = argv[++i];
    } else if (arg.compare(0, 2, "--") != 0 && options->Plugin.empty()) {
      options->Plugin = arg;
    } else {
      std::fprintf(stderr, "orvendale-host: unknown or incomplete option %s\n", arg.c_str());
      return false;
    }
  }
  if (options->Plugin.empty()) options->Plugin = ProgramFolder() + "..\\Orvendale\\Orvendale.plg";
  if (options->Settings.empty()) options->Settings = DefaultSettingsFile();
  return true;
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

// The host messages: the settings dialog comes with a later version of this program.
LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case HostOpenSettings:
      std::printf("settings requested: %s (no settings dialog in this version)\n",
                  lParam ? reinterpret_cast<const char*>(lParam) : "");
      std::fflush(stdout);
      return 0;
    case HostBeginModal:
    case HostEndModal:
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
    std::fprintf(
        stderr,
        "usage: orvendale-host [PLUGIN] [--settings FILE] [--seconds N] [--screenshot FILE]\n");
    return 2;
  }
  std::printf("plug-in: %s\nsettings: %s\n", options.Plugin.c_str(), options.Settings.c_str());
  std::fflush(stdout);
  DevSetStoreFile(kSettingsHandle, options.Settings.c_str());

  HMODULE plugin = LoadLibraryA(options.Plugin.c_str());
  if (!plugin) {
    std::fprintf(stderr, "orvendale-host: cannot load the plug-in %s (error %lu)\n",
                 options.Plugin.c_str(), GetLastError());
    return 3;
  }
  auto getInfo = reinterpret_cast<GetPluginInfoProc>(
      reinterpret_cast<void*>(GetProcAddress(plugin, "GetPluginInfo")));
  auto init = reinterpret_cast<InitGlobalModuleProc>(
      reinterpret_cast<void*>(GetProcAddress(plugin, "InitGlobalModule")));
  auto done = reinterpret_cast<DoneModuleProc>(
      reinterpret_cast<void*>(GetProcAddress(plugin, "DoneModule")));
  if (!getInfo || !init || !done) {
    std::fprintf(stderr,
                 "orvendale-host: %s is not a plug-in: it lacks GetPluginInfo, InitGlobalModule "
                 "or DoneModule\n",
                 options.Plugin.c_str());
    FreeLibrary(plugin);
    return 4;
  }

  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = "OrvendaleHostProgram";
  RegisterClassExA(&wc);
  HWND main = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "Orvendale host", WS_POPUP, 0, 0,
                              0, 0, nullptr, nullptr, instance, nullptr);
  if (!main) {
    std::fprintf(stderr, "orvendale-host: cannot create the main window\n");
    FreeLibrary(plugin);
    return 5;
  }
  g_mainThread = GetCurrentThreadId();
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);

  const PluginInfo* info = getInfo();
  if (info && info->DisplayName) std::printf("running: %s\n", info->DisplayName);
  std::fflush(stdout);

  // The plug-in keeps pointers to both records while it runs.
  static HostDataRecord hostData{};
  std::string setupTarget = options.Plugin.substr(options.Plugin.find_last_of("\\/") + 1);
  hostData.SetupTarget = setupTarget.c_str();
  static HostContext context{};
  context.HostData = &hostData;
  context.SettingsHandle = kSettingsHandle;
  context.HostMainWindow = main;
  context.WindowParam = 1;
  init(&context);

  if (options.Seconds > 0)
    SetTimer(main, kQuitTimer, static_cast<UINT>(options.Seconds) * 1000, nullptr);
  if (!options.Screenshot.empty()) SetTimer(main, kScreenshotTimer, kScreenshotDelayMs, nullptr);

  int status = 0;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == main && msg.message == WM_TIMER) {
      if (msg.wParam == kScreenshotTimer) {
        KillTimer(main, kScreenshotTimer);
        if (TakeScreenshot(options.Screenshot)) {
          std::printf("screenshot: %s\n", options.Screenshot.c_str());
        } else {
          std::fprintf(stderr, "orvendale-host: no picture of the calendar window to write\n");
          status = 6;
        }
        std::fflush(stdout);
      }
      PostQuitMessage(0);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }

  KillTimer(main, kQuitTimer);
  done();
  FreeLibrary(plugin);
  DestroyWindow(main);
  return status;
}
