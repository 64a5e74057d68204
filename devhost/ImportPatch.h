// Replaces one function that a loaded module imports by name, by rewriting the module's import
// address table; the original entry is put back when the patch goes out of scope. The host program
// uses it to show the plug-in a chosen date (--today), and tests to control or observe the few
// Windows calls whose results they must decide, while everything else runs on the real API.
#pragma once

#include <windows.h>

class ImportPatch {
 public:
  // dll is matched without regard to case ("USER32.dll"); function by its imported name.
  ImportPatch(HMODULE module, const char* dll, const char* function, void* replacement);
  ~ImportPatch();
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;

  // False when the module does not import that function from that DLL.
  bool Active() const { return slot_ != nullptr; }
  void* Original() const { return original_; }

 private:
  void** slot_ = nullptr;
  void* original_ = nullptr;
};
