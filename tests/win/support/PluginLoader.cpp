#include "support/PluginLoader.h"

#include <gtest/gtest.h>

namespace {

// GetProcAddress answers a generic function pointer; going through void* states the cast is meant.
template <typename Proc>
Proc Export(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

LoadedPlugin::LoadedPlugin() {
  std::string built = ProgramFolder() + "Orvendale.plg";
  std::string copy = dir_.File("Orvendale.plg");
  if (!CopyFileA(built.c_str(), copy.c_str(), FALSE)) {
    ADD_FAILURE() << "cannot copy " << built;
    return;
  }
  module_ = LoadLibraryA(copy.c_str());
  if (module_ == nullptr) ADD_FAILURE() << "cannot load " << copy << ": " << GetLastError();
}

LoadedPlugin::~LoadedPlugin() { Unload(); }

void LoadedPlugin::Unload() {
  if (module_ != nullptr) FreeLibrary(module_);
  module_ = nullptr;
}

PluginInfo* LoadedPlugin::GetPluginInfo() const {
  auto proc = Export<GetPluginInfoProc>(module_, "GetPluginInfo");
  return proc ? proc() : nullptr;
}

void LoadedPlugin::InitGlobalModule(const HostContext* context) const {
  auto proc = Export<InitGlobalModuleProc>(module_, "InitGlobalModule");
  if (proc) proc(context);
}

void LoadedPlugin::DoneModule() const {
  auto proc = Export<DoneModuleProc>(module_, "DoneModule");
  if (proc) proc();
}

std::unique_ptr<ImportPatch> LoadedPlugin::Patch(const char* dll, const char* function,
                                                 void* replacement) const {
  auto patch = std::make_unique<ImportPatch>(module_, dll, function, replacement);
  EXPECT_TRUE(patch->Active()) << "the plug-in does not import " << dll << "!" << function;
  return patch;
}
