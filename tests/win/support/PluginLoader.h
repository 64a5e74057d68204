// Loads a fresh copy of Orvendale.plg for one test: the built plug-in is copied into a scratch folder
// (which becomes its plug-in folder, where events.txt lives) and loaded with LoadLibrary, so that its
// module state starts at zero exactly as a host would see it. The host libraries are the reference
// host's, already loaded by the test program.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "host/PluginAbi.h"
#include "ImportPatch.h"
#include "support/TestEnv.h"

class LoadedPlugin {
 public:
  LoadedPlugin();  // copies and loads; a failure is reported with ADD_FAILURE
  ~LoadedPlugin();  // frees the library if still loaded
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  HMODULE Module() const { return module_; }
  const std::string& Folder() const { return dir_.Path(); }
  // The plug-in's exports.
  PluginInfo* GetPluginInfo() const;
  void InitGlobalModule(const HostContext* context) const;
  void DoneModule() const;
  // Frees the library now (the unload path); later calls do nothing.
  void Unload();

  // Patches one of the plug-in's imports for as long as the returned object lives.
  std::unique_ptr<ImportPatch> Patch(const char* dll, const char* function, void* replacement) const;

 private:
  ScratchDir dir_;
  HMODULE module_ = nullptr;
};
