// The host's window library, BexilEx.dll: the window object handed to the plug-in and the one export
// that makes it. Shared by the plug-in and the reference host, so both agree on every slot.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "drawpng.h"

extern "C" {

struct HostWindow;

// What GetLayerDC hands out. Only the first field is part of the contract; the host may keep more
// after it in its own copy.
struct LayerDC {
  HDC DC;
};

// The window object's table of operations. Every operation is __stdcall and takes the object first.
// Slots the plug-in never calls are kept as placeholders so that the slot numbers stay fixed.
struct HostWindowVtbl {
  int(__stdcall* QueryInterface)(HostWindow* self, const void* iid, void** out);  // 0
  int(__stdcall* AddRef)(HostWindow* self);                                       // 1
  int(__stdcall* Release)(HostWindow* self);                                      // 2
  HWND(__stdcall* GetHandle)(HostWindow* self);                                   // 3
  unsigned(__stdcall* GetVersion)(HostWindow* self);                              // 4
  int(__stdcall* SetVisible)(HostWindow* self, int visible);                      // 5
  int(__stdcall* Redraw)(HostWindow* self);                                       // 6: present the layers
  void* Slot7;
  void* Slot8;
  // Skin index, negative when the picture did not load.
  int(__stdcall* LoadSkin)(HostWindow* self, const char* path);  // 9
  void* Slot10;
  void* Slot11;
  void* Slot12;
  // Layer handle; x and y in window pixels.
  int(__stdcall* CreateLayer)(HostWindow* self, int number, int x, int y, int width, int height,
                              int flags, int zero);  // 13
  void* Slot14;
  void* Slot15;
  void* Slot16;
  // A drawing context whose origin is the layer's top-left corner.
  LayerDC*(__stdcall* GetLayerDC)(HostWindow* self, int layer);   // 17
  int(__stdcall* ReleaseLayerDC)(HostWindow* self, LayerDC* dc);  // 18
  int(__stdcall* DrawTextDC)(HostWindow* self, HDC dc, const char* text, RECT* rect, HFONT font,
                             int format, COLORREF colour, int shadow, int zero);  // 19
  int(__stdcall* DrawLayerText)(HostWindow* self, int layer, const char* text, RECT* rect,
                                HFONT font, int format, COLORREF colour, int shadow,
                                int zero);  // 20
  // A top-level window owned by the host window; its notifications reach the plug-in's callback.
  HWND(__stdcall* CreateChildWindow)(HostWindow* self, DWORD exStyle, const char* className,
                                     const char* text, DWORD style, int x, int y, int width,
                                     int height, int id, HINSTANCE instance, int zero);  // 21
  // Fills left, top, right, bottom; right is the skin's width and bottom its height.
  int(__stdcall* GetSkinRect)(HostWindow* self, int index, RECT* rect);  // 22
  void* Slot23;
  void* Slot24;
  // Shows the picture at window point x, y from then on; returns its handle.
  int(__stdcall* AddPicture)(HostWindow* self, int number, int x, int y, PictureRecord* picture,
                             int flags);  // 25
};

static_assert(offsetof(HostWindowVtbl, GetHandle) == 3 * sizeof(void*), "slot 3");
static_assert(offsetof(HostWindowVtbl, LoadSkin) == 9 * sizeof(void*), "slot 9");
static_assert(offsetof(HostWindowVtbl, CreateLayer) == 13 * sizeof(void*), "slot 13");
static_assert(offsetof(HostWindowVtbl, GetLayerDC) == 17 * sizeof(void*), "slot 17");
static_assert(offsetof(HostWindowVtbl, CreateChildWindow) == 21 * sizeof(void*), "slot 21");
static_assert(offsetof(HostWindowVtbl, GetSkinRect) == 22 * sizeof(void*), "slot 22");
static_assert(offsetof(HostWindowVtbl, AddPicture) == 25 * sizeof(void*), "slot 25");
static_assert(sizeof(HostWindowVtbl) == 26 * sizeof(void*), "26 slots");

// A counted object: its first field points at the table.
struct HostWindow {
  const HostWindowVtbl* Vtbl;
};

// Flags for CreateBexilWND's fifth argument, as the plug-in passes them.
enum : int { HostWindowFlagsDesktop = 11, HostWindowFlagsNormal = 9 };

// Lowest host version the plug-in accepts.
enum : unsigned { HostMinimumVersion = 19200 };

HostWindow* __stdcall CreateBexilWND(int x, int y, int windowParam, int zOrder, int flags,
                                     WNDPROC callback, int windowParam2, int zero);

}  // extern "C"
