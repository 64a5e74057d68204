// Extra exports of the reference host's libraries that only tests and the host program call: the call
// trace, and faults or answers that a test sets. The plug-in never imports any of these.
#pragma once

#include <windows.h>

#include "host/BexilSDK.h"

extern "C" {

// ---- tremby.dll: the shared call trace and the settings store ----

// Appends one line to the trace. Every host service and every window-object operation appends one
// line when it is called, in the form  Name(arg, arg, ...)  with texts in double quotes, pointers to
// records left out (cursors) or shown by content where it matters, and, for services whose answer the
// plug-in uses, " = value" at the end. Examples:
//   SetCFGString("Cell size", "23")
//   GetCFGInt("XPos", 0) = 400
//   CreateLayer(1, 0, 0, 168, 184, 68, 0) = 1
//   HostBeginModal(0, 0)            (a message received by the main window of DevHostMainWindow)
// Tests may append their own lines (for patched Windows calls) so that one trace shows the order.
void __stdcall DevTraceAppend(const char* line);
// The whole trace, lines joined by "\n" (each line ends with "\n"). Valid until the next trace call.
const char* __stdcall DevTraceText(void);
void __stdcall DevTraceClear(void);
// Tracing is on at load. A long-running host turns it off, since the trace only ever grows.
void __stdcall DevSetTracing(int on);
// Names a device context in the trace as layerdc(layer) (layer > 0), or forgets the name (layer 0).
// BexilEx.dll calls it for the contexts GetLayerDC hands out, so that DrawPicture, traced by
// tremby.dll, shows which layer it drew on. Tests need not call it.
void __stdcall DevTraceNameDC(HDC dc, int layer);

// Pictures loaded by LoadImageEx and not yet released by FreePicture.
int __stdcall DevLivePictures(void);

// Maps a settings handle to an INI file; every store operation on that handle reads or writes it.
void __stdcall DevSetStoreFile(int settingsHandle, const char* iniPath);

// ---- BexilEx.dll: the window object and the host's main window ----

// The host program's main window calls this for each HostBeginModal (open 1) and HostEndModal
// (open 0) it receives. While a modal box or menu is open the host does not re-order its windows;
// when the last one closes, desktop windows (z-order 0) go back to the bottom.
void __stdcall HostNoteModal(int open);

// Restores every fault and answer below to its default (a window is made, version 20000, skins load
// from their files, layer contexts handed out), forgets the last window object made and closes
// every modal noted with HostNoteModal.
void __stdcall DevResetHost(void);
// CreateBexilWND returns null.
void __stdcall DevSetNoWindow(int on);
// What GetVersion answers.
void __stdcall DevSetVersion(unsigned version);
// LoadSkin answers -1 whatever the file.
void __stdcall DevSetSkinFails(int on);
// GetSkinRect answers this rectangle (0, 0, width, height) for every index; width < 0 switches back
// to the loaded skin's size.
void __stdcall DevSetSkinSize(int width, int height);
// GetLayerDC returns null.
void __stdcall DevSetNullLayerDC(int on);
// The last window object made, or null; its reference count (starts at 1 when made).
HostWindow* __stdcall DevLastWindow(void);
int __stdcall DevWindowRefCount(HostWindow* window);
// The callback the plug-in handed to CreateBexilWND for that window object (null when none).
WNDPROC __stdcall DevWindowCallback(HostWindow* window);
// A hidden top-level window that answers the host messages (0x7FD9, 0x7FE1, 0x7FE2) and traces each
// one as HostOpenSettings(0, "/text"), HostEndModal(0, 0), HostBeginModal(0, 0).
HWND __stdcall DevHostMainWindow(void);
// Renders the window as the user sees it (skin, layers by number, pictures) into a 32-bit top-down
// BGRA buffer of width*height pixels; returns 0 when there is no such window.
int __stdcall DevRenderWindow(HostWindow* window, void* pixels, int width, int height);

}  // extern "C"
