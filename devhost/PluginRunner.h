// One plug-in as the host program runs it: loaded, described, started, stopped, unloaded, and
// restarted after its settings changed. Optionally shows the plug-in a fixed date by patching its
// import of GetLocalTime, so that a picture of the calendar can be compared day after day.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ImportPatch.h"
#include "host/PluginAbi.h"

namespace devhost {

// "2026-12-11" into a date (time fields zero, day of the week filled); false for anything that is
// not a real calendar date.
bool ParseIsoDate(const std::string& text, SYSTEMTIME* date);

class PluginRunner {
 public:
  PluginRunner() = default;
  ~PluginRunner();  // stops and unloads
  PluginRunner(const PluginRunner&) = delete;
  PluginRunner& operator=(const PluginRunner&) = delete;

  // From the next Load on, the plug-in's GetLocalTime answers this date with the real time of day.
  void FixToday(const SYSTEMTIME& date);

  // Loads the library, finds its three exports and asks for its description. On failure the library
  // is not kept and error says why, in words for the user.
  bool Load(const std::string& path, std::string* error);
  // InitGlobalModule with a record that must outlive the plug-in's run (it keeps pointers into it).
  void Start(const HostContext* context);
  // DoneModule when started, then FreeLibrary; either step is skipped when it does not apply.
  void Stop();
  // Stop, then load the same file again and start it with the same record, so that the plug-in
  // reads its settings afresh.
  bool Restart(std::string* error);

  const PluginInfo* Info() const { return info_; }
  HMODULE Module() const { return module_; }

 private:
  std::string path_;
  HMODULE module_ = nullptr;
  GetPluginInfoProc getInfo_ = nullptr;
  InitGlobalModuleProc init_ = nullptr;
  DoneModuleProc done_ = nullptr;
  const PluginInfo* info_ = nullptr;
  const HostContext* context_ = nullptr;
  bool started_ = false;
  bool fixToday_ = false;
  std::unique_ptr<ImportPatch> todayPatch_;
};

}  // namespace devhost
