// Measures one refresh of the calendar face (reading a 1,000-line events.txt, the markers, the month
// name, today's reminder, presenting) with the default skin, and the process's CPU share while the
// calendar idles with its one-second timer.
//   face_bench PLUGIN_DIR [IDLE_SECONDS]
// PLUGIN_DIR holds Orvendale.plg and the skin; events.txt and a settings file are written there.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "devhost/DevHostControl.h"
#include "host/PluginAbi.h"

namespace {

double Seconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return value.QuadPart / 1e7;
}

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  return Seconds(kernel) + Seconds(user);
}

template <typename Proc>
Proc Export(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: face_bench PLUGIN_DIR [IDLE_SECONDS]\n");
    return 2;
  }
  std::string dir = argv[1];
  if (dir.back() != '\\') dir += '\\';
  const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 60;

  // 1,000 reminders, today's among them, so every refresh draws markers and a reminder text.
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::string events;
  for (int i = 0; i < 1000; ++i) {
    const int day = 1 + i % 28;
    const int year = now.wYear - 1 + (i % 3);
    events += std::to_string(day) + "." + std::to_string(now.wMonth) + "." + std::to_string(year) +
              " reminder number " + std::to_string(i) + "\r\n";
  }
  events += std::to_string(now.wDay) + "." + std::to_string(now.wMonth) + "." + std::to_string(now.wYear) +
            " today's reminder\r\n";
  HANDLE file = CreateFileA((dir + "events.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, events.data(), static_cast<DWORD>(events.size()), &written, nullptr);
  CloseHandle(file);

  const std::string settings = dir + "bench-settings.ini";
  DeleteFileA(settings.c_str());
  DevSetStoreFile(1, settings.c_str());
  HMODULE plugin = LoadLibraryA((dir + "Orvendale.plg").c_str());
  if (plugin == nullptr) {
    std::fprintf(stderr, "cannot load %sOrvendale.plg\n", dir.c_str());
    return 1;
  }
  HostDataRecord record = {};
  record.SetupTarget = "Calendar";
  HostContext context = {};
  context.HostData = &record;
  context.SettingsHandle = 1;
  context.HostMainWindow = DevHostMainWindow();
  Export<InitGlobalModuleProc>(plugin, "InitGlobalModule")(&context);
  DevSetTracing(0);  // the host's call trace is for tests; a long run would only grow it
  HostWindow* window = DevLastWindow();
  if (window == nullptr) return 1;
  HWND handle = window->Vtbl->GetHandle(window);

  std::vector<double> micros;
  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < 1100; ++i) {
    QueryPerformanceCounter(&start);
    SendMessageA(handle, WM_TIMER, 0, 0);
    QueryPerformanceCounter(&stop);
    if (i >= 100) micros.push_back((stop.QuadPart - start.QuadPart) * 1e6 / frequency.QuadPart);
  }
  std::sort(micros.begin(), micros.end());
  // Where a refresh's time goes: the host's operations one by one.
  auto timeIt = [&](const char* what, auto&& step) {
    QueryPerformanceCounter(&start);
    for (int i = 0; i < 200; ++i) {
      step();
    }
    QueryPerformanceCounter(&stop);
    std::printf("  %-28s %6.0f us\n", what, (stop.QuadPart - start.QuadPart) * 1e6 / frequency.QuadPart / 200);
  };
  HostWindow* w = window;
  timeIt("GetLayerDC + ReleaseLayerDC", [&] { w->Vtbl->ReleaseLayerDC(w, w->Vtbl->GetLayerDC(w, 1)); });
  timeIt("Redraw", [&] { w->Vtbl->Redraw(w); });
  RECT band = {0, 0, 168, 23};
  HFONT font = CreateFontA(-15, 0, 0, 0, 800, 0, 0, 0, 0, 2, 0, 0, 0, "Arial");
  timeIt("DrawLayerText", [&] { w->Vtbl->DrawLayerText(w, 1, "December", &band, font, 5, 0x80, 0, 0); });
  DeleteObject(font);
  PictureRecord picture = {};
  std::string marker = dir + "event.png";
  timeIt("LoadImageEx + FreePicture", [&] {
    picture.FilePath = marker.c_str();
    LoadImageEx(&picture);
    FreePicture(&picture);
  });
  LayerDC* layer = w->Vtbl->GetLayerDC(w, 2);
  picture.FilePath = marker.c_str();
  LoadImageEx(&picture);
  timeIt("DrawPicture", [&] { DrawPicture(0, layer->DC, 10, 10, &picture); });
  FreePicture(&picture);
  w->Vtbl->ReleaseLayerDC(w, layer);
  timeIt("events.txt read (LoadReminders)", [&] {
    HANDLE f = CreateFileA((dir + "events.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got) {
    }
    CloseHandle(f);
  });
  std::printf("refresh with a 1,000-line events.txt: median %.0f us, 90th percentile %.0f us (%zu runs)\n",
              micros[micros.size() / 2], micros[micros.size() * 9 / 10], micros.size());

  if (idleSeconds > 0) {
    const double cpuBefore = ProcessCpuSeconds();
    const DWORD until = GetTickCount() + idleSeconds * 1000;
    MSG msg;
    std::vector<double> idleMicros;
    while (static_cast<int>(until - GetTickCount()) > 0) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, until - GetTickCount(), QS_ALLINPUT);
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        QueryPerformanceCounter(&start);
        DispatchMessageA(&msg);
        QueryPerformanceCounter(&stop);
        if (msg.message == WM_TIMER) idleMicros.push_back((stop.QuadPart - start.QuadPart) * 1e6 / frequency.QuadPart);
      }
    }
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    std::sort(idleMicros.begin(), idleMicros.end());
    if (!idleMicros.empty())
      std::printf("refreshes while idling: %zu, median %.0f us\n", idleMicros.size(), idleMicros[idleMicros.size() / 2]);
    std::printf("idle for %d s with the one-second timer: %.3f s of CPU, %.3f%% of one core\n", idleSeconds,
                cpu, 100.0 * cpu / idleSeconds);
  }
  Export<DoneModuleProc>(plugin, "DoneModule")();
  FreeLibrary(plugin);
  return 0;
}
