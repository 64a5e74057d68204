#include "PluginRunner.h"

#include <cstdio>

namespace devhost {
namespace {

SYSTEMTIME g_today{};

// The plug-in's GetLocalTime: the fixed date with the real time of day, so that its once-a-second
// refresh still sees time pass.
void WINAPI FixedLocalTime(SYSTEMTIME* now) {
  GetLocalTime(now);
  now->wYear = g_today.wYear;
  now->wMonth = g_today.wMonth;
  now->wDay = g_today.wDay;
  now->wDayOfWeek = g_today.wDayOfWeek;
}

std::string SystemMessage(DWORD code) {
  char text[256] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == '.')) text[--n] = 0;
  return n > 0 ? std::string(text) : "error " + std::to_string(code);
}

template <typename Proc>
Proc Export(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

bool ParseIsoDate(const std::string& text, SYSTEMTIME* date) {
  int year = 0, month = 0, day = 0;
  char tail = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
      std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3)
    return false;
  SYSTEMTIME wanted{};
  wanted.wYear = static_cast<WORD>(year);
  wanted.wMonth = static_cast<WORD>(month);
  wanted.wDay = static_cast<WORD>(day);
  // Windows itself judges the date (month lengths, leap years) and names its day of the week.
  FILETIME asFileTime;
  if (year < 1601 || !SystemTimeToFileTime(&wanted, &asFileTime) ||
      !FileTimeToSystemTime(&asFileTime, date))
    return false;
  return date->wYear == year && date->wMonth == month && date->wDay == day;
}

PluginRunner::~PluginRunner() { Stop(); }

void PluginRunner::FixToday(const SYSTEMTIME& date) {
  g_today = date;
  fixToday_ = true;
}

bool PluginRunner::Load(const std::string& path, std::string* error) {
  Stop();
  path_ = path;
  // A broken file must give our message, not a system box that waits for a click.
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryA(path.c_str());
  DWORD code = GetLastError();
  SetErrorMode(oldMode);
  if (!module) {
    *error = "cannot load the plug-in " + path + ": " + SystemMessage(code);
    return false;
  }
  auto getInfo = Export<GetPluginInfoProc>(module, "GetPluginInfo");
  auto init = Export<InitGlobalModuleProc>(module, "InitGlobalModule");
  auto done = Export<DoneModuleProc>(module, "DoneModule");
  if (!getInfo || !init || !done) {
    *error = path + " is not a plug-in: it lacks GetPluginInfo, InitGlobalModule or DoneModule";
    FreeLibrary(module);
    return false;
  }
  if (fixToday_) {
    auto patch = std::make_unique<ImportPatch>(module, "KERNEL32.dll", "GetLocalTime",
                                               reinterpret_cast<void*>(&FixedLocalTime));
    if (!patch->Active()) {
      *error = path + " does not import GetLocalTime from KERNEL32.dll, so --today cannot apply";
      FreeLibrary(module);
      return false;
    }
    todayPatch_ = std::move(patch);
  }
  module_ = module;
  getInfo_ = getInfo;
  init_ = init;
  done_ = done;
  info_ = getInfo_();
  return true;
}

void PluginRunner::Start(const HostContext* context) {
  if (!module_ || started_) return;
  context_ = context;
  started_ = true;
  init_(context);
}

void PluginRunner::Stop() {
  if (started_) done_();
  started_ = false;
  // The patch's table belongs to the module: put the entry back while the module is still there.
  todayPatch_.reset();
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
  getInfo_ = nullptr;
  init_ = nullptr;
  done_ = nullptr;
  info_ = nullptr;
}

bool PluginRunner::Restart(std::string* error) {
  const HostContext* context = context_;
  std::string path = path_;
  Stop();
  if (!Load(path, error)) return false;
  if (context) Start(context);
  return true;
}

}  // namespace devhost
