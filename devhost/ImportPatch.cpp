#include "ImportPatch.h"

#include <cstring>

namespace {

// The import address table entry through which `module` calls `function` of `dll`, or null.
void** FindImportSlot(HMODULE module, const char* dll, const char* function) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return nullptr;
  for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       desc->Name != 0; ++desc) {
    if (_stricmp(reinterpret_cast<const char*>(base + desc->Name), dll) != 0) continue;
    // Names come from the lookup table; the addresses to rewrite are in the parallel bound table.
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
        base + (desc->OriginalFirstThunk ? desc->OriginalFirstThunk : desc->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
        return reinterpret_cast<void**>(&slots->u1.Function);
    }
  }
  return nullptr;
}

void WriteSlot(void** slot, void* value) {
  DWORD old = 0;
  VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old);
  *slot = value;
  VirtualProtect(slot, sizeof(void*), old, &old);
}

}  // namespace

ImportPatch::ImportPatch(HMODULE module, const char* dll, const char* function, void* replacement) {
  if (module == nullptr) return;
  slot_ = FindImportSlot(module, dll, function);
  if (slot_ == nullptr) return;
  original_ = *slot_;
  WriteSlot(slot_, replacement);
}

ImportPatch::~ImportPatch() {
  // The patched module may have been unloaded first; its table is gone then.
  HMODULE stillLoaded = nullptr;
  if (slot_ != nullptr && GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                 GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                             reinterpret_cast<LPCSTR>(slot_), &stillLoaded))
    WriteSlot(slot_, original_);
}
