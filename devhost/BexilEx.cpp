// BexilEx.dll of the reference host: CreateBexilWND and the window object it hands out, with real
// layers (32-bit DIB sections), skins and pictures composed into a per-pixel-alpha window; moving
// by drag and keeping the window's z-order; the host's main window for the host messages; and the
// faults and answers that tests set.
//
// What the user sees (and what DevRenderWindow and a screenshot see) is one composition, bottom to
// top:
//   1. the skin last loaded, at the window's top-left corner;
//   2. layers and pictures by their number, lowest first; where a layer and a picture share a
//      number the layer lies below, and among layers (or pictures) of one number the one added
//      first lies below.
// Every pixel is premultiplied blue-green-red-alpha, so the composition goes to the screen as it is
// through UpdateLayeredWindow: the window is as transparent as its pixels. The screen is updated
// when the window is shown and on every Redraw; drawing alone changes nothing on the screen, so the
// plug-in presents a whole refresh at once.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "DevHostControl.h"
#include "LayerText.h"
#include "Picture.h"
#include "TraceFormat.h"
#include "host/BexilSDK.h"
#include "host/PluginAbi.h"

using namespace devhost;

namespace {

// ---- faults and answers set by tests ----

struct Answers {
  bool NoWindow = false;
  unsigned Version = 20000;
  bool SkinFails = false;
  int SkinWidth = -1;  // below 0: the loaded skin's own size
  int SkinHeight = 0;
  bool NullLayerDC = false;
};
Answers g_answers;

HINSTANCE g_module = nullptr;

// ---- the window object ----

// What GetLayerDC hands out; the contract's LayerDC comes first so the two addresses are one.
struct HandedDC {
  LayerDC Public;
  HGDIOBJ OldBitmap;
};

struct Layer {
  int Number, X, Y, Width, Height, Flags;
  PixelImage Image;               // none for a size of zero or less
  std::unique_ptr<HandedDC> Out;  // the context while handed out
};

struct Placed {
  int Number, X, Y, Flags;
  PictureRecord* Record;  // the plug-in's; read at every composition
};

struct WindowObject {
  HostWindow Base;  // first, so that the object's address is the HostWindow's
  LONG Refs = 1;
  HWND Hwnd = nullptr;
  WNDPROC Callback = nullptr;
  std::vector<PixelImage> Skins;
  int ShownSkin = -1;  // the last skin loaded
  std::vector<std::unique_ptr<Layer>> Layers;
  std::vector<Placed> Pictures;
  int ZOrder = 1;  // 0 kept at the bottom of the desktop, 1 normal, 2 always on top
  // A left press not yet released: where it began on the screen, where the window was then, and
  // whether the pointer has left the drag rectangle, which makes it a move rather than a click.
  bool Pressed = false;
  bool Dragging = false;
  POINT PressAt{};
  POINT WindowAt{};
  // The composition last put on the screen, kept so that a Redraw that changes nothing (most of
  // them: the plug-in redraws every second) skips the costly layered-window update.
  PixelImage Frame;
  std::vector<uint32_t> OnScreen;
};

std::vector<WindowObject*> g_windows;
WindowObject* g_lastWindow = nullptr;
// The object whose window is being created: messages arrive before CreateWindowExA returns.
WindowObject* g_creating = nullptr;
// Modal boxes and menus open now (HostBeginModal less HostEndModal): while one is open the host
// leaves the windows' z-order alone, so that a bottom window does not push under its own box.
int g_modalDepth = 0;

const char kWindowClass[] = "ReferenceHostCalendarWindow";
const char kMainClass[] = "ReferenceHostMainWindow";

void Trace(const std::string& line) { DevTraceAppend(line.c_str()); }

WindowObject* Obj(HostWindow* self) { return reinterpret_cast<WindowObject*>(self); }

bool IsLive(const WindowObject* obj) {
  return obj && std::find(g_windows.begin(), g_windows.end(), obj) != g_windows.end();
}

Layer* LayerOf(WindowObject* obj, int handle) {
  if (handle < 1 || static_cast<size_t>(handle) > obj->Layers.size()) return nullptr;
  return obj->Layers[static_cast<size_t>(handle) - 1].get();
}

std::string DescribeDC(WindowObject* obj, HDC dc) {
  if (!dc) return "0";
  for (size_t i = 0; i < obj->Layers.size(); ++i)
    if (obj->Layers[i]->Out && obj->Layers[i]->Out->Public.DC == dc)
      return "layerdc(" + Num(static_cast<long long>(i) + 1) + ")";
  return "dc";
}

void GiveBackDC(Layer& layer) {
  if (!layer.Out) return;
  HDC dc = layer.Out->Public.DC;
  DevTraceNameDC(dc, 0);
  SelectObject(dc, layer.Out->OldBitmap);
  DeleteDC(dc);
  layer.Out.reset();
}

// Everything GDI the object holds; the window goes with its own destruction, not with this.
void FreeResources(WindowObject* obj) {
  for (auto& layer : obj->Layers) {
    GiveBackDC(*layer);
    FreePixelImage(&layer->Image);
  }
  obj->Layers.clear();
  for (PixelImage& skin : obj->Skins) FreePixelImage(&skin);
  FreePixelImage(&obj->Frame);
  obj->OnScreen.clear();
  obj->Skins.clear();
  obj->ShownSkin = -1;
  obj->Pictures.clear();
}

// The window covers the shown skin and every layer.
SIZE FaceSize(const WindowObject* obj) {
  SIZE size = {0, 0};
  if (obj->ShownSkin >= 0) {
    size.cx = obj->Skins[static_cast<size_t>(obj->ShownSkin)].Width;
    size.cy = obj->Skins[static_cast<size_t>(obj->ShownSkin)].Height;
  }
  for (auto& layer : obj->Layers) {
    size.cx = std::max<LONG>(size.cx, layer->X + layer->Width);
    size.cy = std::max<LONG>(size.cy, layer->Y + layer->Height);
  }
  return size;
}

void FitWindow(WindowObject* obj) {
  if (!obj->Hwnd) return;
  SIZE size = FaceSize(obj);
  SetWindowPos(obj->Hwnd, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// Skin first, then layers and pictures by number ascending; at one number layers come before
// pictures, and each kind keeps the order in which it was added.
void Compose(WindowObject* obj, uint32_t* pixels, int width, int height) {
  std::memset(pixels, 0, static_cast<size_t>(width) * height * 4);
  if (obj->ShownSkin >= 0) {
    const PixelImage& skin = obj->Skins[static_cast<size_t>(obj->ShownSkin)];
    BlendOver(pixels, width, height, skin.Bits, skin.Width, skin.Height, 0, 0);
  }
  struct Item {
    int Number, Kind;
    size_t Index;
  };
  std::vector<Item> items;
  for (size_t i = 0; i < obj->Layers.size(); ++i) items.push_back({obj->Layers[i]->Number, 0, i});
  for (size_t i = 0; i < obj->Pictures.size(); ++i)
    items.push_back({obj->Pictures[i].Number, 1, i});
  std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    return a.Number != b.Number ? a.Number < b.Number : a.Kind < b.Kind;
  });
  for (const Item& item : items) {
    if (item.Kind == 0) {
      const Layer& layer = *obj->Layers[item.Index];
      if (layer.Out) GdiFlush();  // GDI may still hold drawing for a handed-out context
      BlendOver(pixels, width, height, layer.Image.Bits, layer.Image.Width, layer.Image.Height,
                layer.X, layer.Y);
    } else {
      const Placed& placed = obj->Pictures[item.Index];
      PixelImage image;
      if (PictureOf(placed.Record, &image))
        BlendOver(pixels, width, height, image.Bits, image.Width, image.Height, placed.X, placed.Y);
    }
  }
}

// Puts the composition on the screen with per-pixel alpha. An empty face (no skin, no layers) has
// nothing to show and leaves the window as it is.
void Present(WindowObject* obj) {
  SIZE size = FaceSize(obj);
  if (!obj->Hwnd || size.cx <= 0 || size.cy <= 0) return;
  PixelImage& frame = obj->Frame;
  if (frame.Width != size.cx || frame.Height != size.cy) {
    FreePixelImage(&frame);
    obj->OnScreen.clear();
    if (!CreatePixelImage(size.cx, size.cy, &frame)) return;
  }
  Compose(obj, frame.Bits, size.cx, size.cy);
  const size_t count = static_cast<size_t>(size.cx) * size.cy;
  if (obj->OnScreen.size() == count && std::memcmp(obj->OnScreen.data(), frame.Bits, count * 4) == 0)
    return;
  obj->OnScreen.assign(frame.Bits, frame.Bits + count);
  HDC screen = GetDC(nullptr);
  HDC source = CreateCompatibleDC(screen);
  if (source) {
    HGDIOBJ old = SelectObject(source, frame.Bitmap);
    POINT origin = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(obj->Hwnd, screen, nullptr, &size, source, &origin, 0, &blend, ULW_ALPHA);
    SelectObject(source, old);
    DeleteDC(source);
  }
  ReleaseDC(nullptr, screen);
}

void KeepAtBottom(HWND hwnd) {
  SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// ---- moving by drag ----

// Where a mouse message says the pointer is, on the screen. Mouse messages carry client
// coordinates taken when they are retrieved, so the window's present place converts them.
POINT PointerOf(HWND hwnd, LPARAM lParam) {
  POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(hwnd, &at);
  return at;
}

// A press starts a possible move; the pointer is followed even outside the window.
void BeginPress(WindowObject* obj, HWND hwnd, LPARAM lParam) {
  RECT rect;
  GetWindowRect(hwnd, &rect);
  obj->Pressed = true;
  obj->Dragging = false;
  obj->PressAt = PointerOf(hwnd, lParam);
  obj->WindowAt = {rect.left, rect.top};
  SetCapture(hwnd);
}

// The move starts once the pointer leaves the drag rectangle around the press, as the system's own
// drag detection does, so that a hand's tremor during a click does not move the calendar.
void FollowPointer(WindowObject* obj, HWND hwnd, LPARAM lParam) {
  POINT at = PointerOf(hwnd, lParam);
  int dx = at.x - obj->PressAt.x, dy = at.y - obj->PressAt.y;
  if (!obj->Dragging) {
    int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
    if (std::abs(dx) <= cx / 2 && std::abs(dy) <= cy / 2) return;
    obj->Dragging = true;
  }
  SetWindowPos(hwnd, nullptr, obj->WindowAt.x + dx, obj->WindowAt.y + dy, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// Ends the press; true when it was a move. The state is cleared before the capture is released,
// since releasing sends WM_CAPTURECHANGED back through the window procedure at once.
bool EndPress(WindowObject* obj) {
  bool moved = obj->Dragging;
  obj->Pressed = false;
  obj->Dragging = false;
  if (GetCapture() == obj->Hwnd) ReleaseCapture();
  return moved;
}

// The host's own part of a message, before the callback sees it. True when the message is the
// host's alone: the release that ends a move is not a click, so the plug-in gets the end of the
// move (WM_EXITSIZEMOVE, through the window procedure as a system move would send it) instead.
bool HostFirst(WindowObject* obj, HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      BeginPress(obj, hwnd, lParam);
      return false;
    case WM_MOUSEMOVE:
      if (obj->Pressed) FollowPointer(obj, hwnd, lParam);
      return false;
    case WM_LBUTTONUP:
      if (obj->Pressed && EndPress(obj)) {
        SendMessageA(hwnd, WM_EXITSIZEMOVE, 0, 0);
        return true;
      }
      return false;
    case WM_CAPTURECHANGED:
      // Capture taken away mid-move (a box opened): the window has moved all the same.
      if (obj->Pressed && reinterpret_cast<HWND>(lParam) != hwnd && EndPress(obj))
        SendMessageA(hwnd, WM_EXITSIZEMOVE, 0, 0);
      return false;
  }
  return false;
}

// Every message goes to the plug-in's callback first; what it leaves (result 0) the host handles.
LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* obj = reinterpret_cast<WindowObject*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!obj && g_creating) {
    obj = g_creating;
    obj->Hwnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(obj));
  }
  if (obj && obj->Hwnd == hwnd && HostFirst(obj, hwnd, message, wParam, lParam)) return 0;
  LRESULT result = 0;
  if (obj && obj->Callback) {
    result = obj->Callback(hwnd, message, wParam, lParam);
    // The callback may have released the object (the plug-in's unload path).
    obj = reinterpret_cast<WindowObject*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (message == WM_NCDESTROY) {
    if (obj) {
      FreeResources(obj);
      obj->Hwnd = nullptr;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  if (result != 0) return result;
  switch (message) {
    case WM_WINDOWPOSCHANGING: {
      // A desktop window goes back under every other window whatever asked to raise it (a click
      // activates it, for one), except while a modal box or menu of the plug-in is open.
      auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
      if (obj && obj->ZOrder == 0 && g_modalDepth == 0 && !(pos->flags & SWP_NOZORDER))
        pos->hwndInsertAfter = HWND_BOTTOM;
      break;
    }
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool RegisterOnce(const char* name, WNDPROC proc) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(g_module, name, &existing)) return true;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = g_module;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) != 0;
}

// ---- the table of operations ----

const unsigned char kIidUnknown[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};

int __stdcall QueryInterfaceOp(HostWindow* self, const void* iid, void** out) {
  int result = static_cast<int>(E_NOINTERFACE);
  if (!out) {
    result = static_cast<int>(E_POINTER);
  } else if (iid && std::memcmp(iid, kIidUnknown, sizeof kIidUnknown) == 0) {
    InterlockedIncrement(&Obj(self)->Refs);
    *out = self;
    result = S_OK;
  } else {
    *out = nullptr;
  }
  Trace(Call("QueryInterface", "", Hex(static_cast<unsigned>(result))));
  return result;
}

int __stdcall AddRefOp(HostWindow* self) {
  LONG refs = InterlockedIncrement(&Obj(self)->Refs);
  Trace(Call("AddRef", "", Num(refs)));
  return refs;
}

// At zero the object and its layers go; the window stays for its owner to destroy, but stops
// calling a callback that may belong to a library about to be unloaded.
int __stdcall ReleaseOp(HostWindow* self) {
  WindowObject* obj = Obj(self);
  LONG refs = InterlockedDecrement(&obj->Refs);
  Trace(Call("Release", "", Num(refs)));
  if (refs == 0) {
    FreeResources(obj);
    if (obj->Hwnd && IsWindow(obj->Hwnd)) SetWindowLongPtrA(obj->Hwnd, GWLP_USERDATA, 0);
    g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), obj), g_windows.end());
    if (g_lastWindow == obj) g_lastWindow = nullptr;
    delete obj;
  }
  return refs;
}

HWND __stdcall GetHandleOp(HostWindow* self) {
  HWND hwnd = Obj(self)->Hwnd;
  Trace(Call("GetHandle", "", hwnd ? "hwnd" : "0"));
  return hwnd;
}

unsigned __stdcall GetVersionOp(HostWindow*) {
  Trace(Call("GetVersion", "", Num(g_answers.Version)));
  return g_answers.Version;
}

int __stdcall SetVisibleOp(HostWindow* self, int visible) {
  Trace(Call("SetVisible", Num(visible)));
  HWND hwnd = Obj(self)->Hwnd;
  if (!hwnd) return 0;
  if (visible) Present(Obj(self));  // a layered window shows nothing before its first update
  ShowWindow(hwnd, visible ? SW_SHOWNOACTIVATE : SW_HIDE);
  return 1;
}

int __stdcall RedrawOp(HostWindow* self) {
  Trace(Call("Redraw", ""));
  HWND hwnd = Obj(self)->Hwnd;
  if (!hwnd) return 0;
  Present(Obj(self));
  return 1;
}

int __stdcall LoadSkinOp(HostWindow* self, const char* path) {
  WindowObject* obj = Obj(self);
  int index = -1;
  PixelImage skin;
  if (!g_answers.SkinFails && LoadPixelImage(path, &skin)) {
    obj->Skins.push_back(skin);
    index = static_cast<int>(obj->Skins.size()) - 1;
    obj->ShownSkin = index;
    FitWindow(obj);
  }
  Trace(Call("LoadSkin", QuoteText(path), Num(index)));
  return index;
}

int __stdcall CreateLayerOp(HostWindow* self, int number, int x, int y, int width, int height,
                            int flags, int zero) {
  WindowObject* obj = Obj(self);
  auto layer = std::make_unique<Layer>();
  *layer = Layer{number, x, y, width, height, flags, PixelImage{}, nullptr};
  CreatePixelImage(width, height,
                   &layer->Image);  // none for an empty size; the handle stays usable
  obj->Layers.push_back(std::move(layer));
  int handle = static_cast<int>(obj->Layers.size());
  FitWindow(obj);
  Trace(Call("CreateLayer",
             Args({Num(number), Num(x), Num(y), Num(width), Num(height), Num(flags), Num(zero)}),
             Num(handle)));
  return handle;
}

// Hands out the layer cleared to transparent: each drawing pass starts from nothing, so a marker or
// text drawn earlier and not drawn again disappears.
LayerDC* __stdcall GetLayerDCOp(HostWindow* self, int handle) {
  WindowObject* obj = Obj(self);
  Layer* layer = g_answers.NullLayerDC ? nullptr : LayerOf(obj, handle);
  if (layer && !layer->Out) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc) {
      layer->Out = std::make_unique<HandedDC>();
      layer->Out->Public.DC = dc;
      layer->Out->OldBitmap = layer->Image.Bitmap ? SelectObject(dc, layer->Image.Bitmap) : nullptr;
      DevTraceNameDC(dc, handle);
    }
  }
  LayerDC* result = layer && layer->Out ? &layer->Out->Public : nullptr;
  if (result && layer->Image.Bits)
    std::memset(layer->Image.Bits, 0,
                static_cast<size_t>(layer->Image.Width) * layer->Image.Height * 4);
  Trace(Call("GetLayerDC", Num(handle), result ? "layerdc(" + Num(handle) + ")" : "0"));
  return result;
}

int __stdcall ReleaseLayerDCOp(HostWindow* self, LayerDC* dc) {
  WindowObject* obj = Obj(self);
  for (size_t i = 0; i < obj->Layers.size(); ++i) {
    Layer& layer = *obj->Layers[i];
    if (layer.Out && &layer.Out->Public == dc) {
      Trace(Call("ReleaseLayerDC", "layerdc(" + Num(static_cast<long long>(i) + 1) + ")"));
      GiveBackDC(layer);
      return 1;
    }
  }
  Trace(Call("ReleaseLayerDC", dc ? "unknown" : "0"));
  return 0;
}

int __stdcall DrawTextDCOp(HostWindow* self, HDC dc, const char* text, RECT* rect, HFONT font,
                           int format, COLORREF colour, int shadow, int zero) {
  Trace(Call("DrawTextDC",
             Args({DescribeDC(Obj(self), dc), QuoteText(text), FormatRect(rect), FormatFont(font),
                   Num(format), Colour(colour), Num(shadow), Num(zero)})));
  if (!rect) return 0;
  const PixelImage* layer = nullptr;
  for (auto& each : Obj(self)->Layers)
    if (each->Out && each->Out->Public.DC == dc) layer = &each->Image;
  return DrawTextWithAlpha(dc, layer, text, *rect, font, static_cast<UINT>(format), colour,
                           shadow != 0);
}

int __stdcall DrawLayerTextOp(HostWindow* self, int handle, const char* text, RECT* rect,
                              HFONT font, int format, COLORREF colour, int shadow, int zero) {
  Trace(
      Call("DrawLayerText", Args({Num(handle), QuoteText(text), FormatRect(rect), FormatFont(font),
                                  Num(format), Colour(colour), Num(shadow), Num(zero)})));
  Layer* layer = LayerOf(Obj(self), handle);
  if (!layer || !layer->Image.Bitmap || !rect) return 0;
  if (layer->Out)
    return DrawTextWithAlpha(layer->Out->Public.DC, &layer->Image, text, *rect, font,
                             static_cast<UINT>(format), colour, shadow != 0);
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return 0;
  HGDIOBJ old = SelectObject(dc, layer->Image.Bitmap);
  int result = DrawTextWithAlpha(dc, &layer->Image, text, *rect, font, static_cast<UINT>(format),
                                 colour, shadow != 0);
  SelectObject(dc, old);
  DeleteDC(dc);
  return result;
}

// A window of the plug-in's owned by the host window, so that its notifications (WM_COMMAND from an
// edit box) arrive at the host window and so at the callback. Only a child window has a control
// identifier; for a top-level window the identifier would be taken for a menu, so it is left out.
HWND __stdcall CreateChildWindowOp(HostWindow* self, DWORD exStyle, const char* className,
                                   const char* text, DWORD style, int x, int y, int width,
                                   int height, int id, HINSTANCE instance, int zero) {
  WindowObject* obj = Obj(self);
  HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
  HWND hwnd = className ? CreateWindowExA(exStyle, className, text, style, x, y, width, height,
                                          obj->Hwnd, menu, instance, nullptr)
                        : nullptr;
  Trace(Call("CreateChildWindow",
             Args({Hex(exStyle), QuoteText(className), QuoteText(text), Hex(style), Num(x), Num(y),
                   Num(width), Num(height), Num(id), FormatModule(instance), Num(zero)}),
             hwnd ? "hwnd" : "0"));
  return hwnd;
}

int __stdcall GetSkinRectOp(HostWindow* self, int index, RECT* rect) {
  WindowObject* obj = Obj(self);
  RECT answer = {0, 0, 0, 0};
  int ok = 0;
  if (g_answers.SkinWidth >= 0) {
    answer.right = g_answers.SkinWidth;
    answer.bottom = g_answers.SkinHeight;
    ok = 1;
  } else if (index >= 0 && static_cast<size_t>(index) < obj->Skins.size()) {
    answer.right = obj->Skins[static_cast<size_t>(index)].Width;
    answer.bottom = obj->Skins[static_cast<size_t>(index)].Height;
    ok = 1;
  }
  if (rect) *rect = answer;
  Trace(Call("GetSkinRect", Num(index), FormatRect(&answer)));
  return ok;
}

int __stdcall AddPictureOp(HostWindow* self, int number, int x, int y, PictureRecord* picture,
                           int flags) {
  WindowObject* obj = Obj(self);
  int handle = 0;
  if (picture) {
    obj->Pictures.push_back({number, x, y, flags, picture});
    handle = static_cast<int>(obj->Pictures.size());
  }
  std::string shown = !picture ? "0" : picture->FilePath ? QuoteText(picture->FilePath) : "record";
  Trace(Call("AddPicture", Args({Num(number), Num(x), Num(y), shown, Num(flags)}), Num(handle)));
  return handle;
}

// Slots the plug-in never calls stay null: a call there should fail loudly, not quietly misbehave.
const HostWindowVtbl kTable = {
    QueryInterfaceOp,  // 0
    AddRefOp,  // 1
    ReleaseOp,  // 2
    GetHandleOp,  // 3
    GetVersionOp,  // 4
    SetVisibleOp,  // 5
    RedrawOp,  // 6
    nullptr,  // 7
    nullptr,  // 8
    LoadSkinOp,  // 9
    nullptr,  // 10
    nullptr,  // 11
    nullptr,  // 12
    CreateLayerOp,  // 13
    nullptr,  // 14
    nullptr,  // 15
    nullptr,  // 16
    GetLayerDCOp,  // 17
    ReleaseLayerDCOp,  // 18
    DrawTextDCOp,  // 19
    DrawLayerTextOp,  // 20
    CreateChildWindowOp,  // 21
    GetSkinRectOp,  // 22
    nullptr,  // 23
    nullptr,  // 24
    AddPictureOp,  // 25
};

// ---- the host's main window ----

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case HostOpenSettings:
      Trace(Call("HostOpenSettings", Args({Num(static_cast<long long>(wParam)),
                                           QuoteText(reinterpret_cast<const char*>(lParam))})));
      return 0;
    case HostEndModal:
      Trace(Call("HostEndModal", Args({Num(static_cast<long long>(wParam)), Num(lParam)})));
      HostNoteModal(0);
      return 0;
    case HostBeginModal:
      Trace(Call("HostBeginModal", Args({Num(static_cast<long long>(wParam)), Num(lParam)})));
      HostNoteModal(1);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

extern "C" {

HostWindow* __stdcall CreateBexilWND(int x, int y, int windowParam, int zOrder, int flags,
                                     WNDPROC callback, int windowParam2, int zero) {
  WindowObject* obj = nullptr;
  if (!g_answers.NoWindow && RegisterOnce(kWindowClass, HostWindowProc)) {
    obj = new WindowObject;
    obj->Base.Vtbl = &kTable;
    obj->Callback = callback;
    obj->ZOrder = zOrder;
    DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_LAYERED | (zOrder == 2 ? WS_EX_TOPMOST : 0);
    g_creating = obj;
    HWND hwnd = CreateWindowExA(exStyle, kWindowClass, "Calendar", WS_POPUP, x, y, 0, 0, nullptr,
                                nullptr, g_module, nullptr);
    g_creating = nullptr;
    if (hwnd) {
      obj->Hwnd = hwnd;
      g_windows.push_back(obj);
      g_lastWindow = obj;
      if (zOrder == 0) KeepAtBottom(hwnd);
    } else {
      delete obj;
      obj = nullptr;
    }
  }
  Trace(Call("CreateBexilWND",
             Args({Num(x), Num(y), Num(windowParam), Num(zOrder), Num(flags),
                   callback ? "callback" : "0", Num(windowParam2), Num(zero)}),
             obj ? "window" : "0"));
  return obj ? &obj->Base : nullptr;
}

void __stdcall HostNoteModal(int open) {
  if (open) {
    ++g_modalDepth;
    return;
  }
  if (g_modalDepth > 0) --g_modalDepth;
  if (g_modalDepth > 0) return;
  // What the box changed meanwhile is undone now.
  for (WindowObject* obj : g_windows)
    if (obj->ZOrder == 0 && obj->Hwnd) KeepAtBottom(obj->Hwnd);
}

void __stdcall DevResetHost(void) {
  g_answers = Answers{};
  g_lastWindow = nullptr;
  g_modalDepth = 0;
}
void __stdcall DevSetNoWindow(int on) { g_answers.NoWindow = on != 0; }
void __stdcall DevSetVersion(unsigned version) { g_answers.Version = version; }
void __stdcall DevSetSkinFails(int on) { g_answers.SkinFails = on != 0; }
void __stdcall DevSetSkinSize(int width, int height) {
  g_answers.SkinWidth = width;
  g_answers.SkinHeight = height;
}
void __stdcall DevSetNullLayerDC(int on) { g_answers.NullLayerDC = on != 0; }

HostWindow* __stdcall DevLastWindow(void) { return g_lastWindow ? &g_lastWindow->Base : nullptr; }

int __stdcall DevWindowRefCount(HostWindow* window) {
  WindowObject* obj = Obj(window);
  return IsLive(obj) ? obj->Refs : 0;
}

WNDPROC __stdcall DevWindowCallback(HostWindow* window) {
  WindowObject* obj = Obj(window);
  return IsLive(obj) ? obj->Callback : nullptr;
}

HWND __stdcall DevHostMainWindow(void) {
  static HWND main = nullptr;
  if (main && IsWindow(main)) return main;
  if (!RegisterOnce(kMainClass, MainWindowProc)) return nullptr;
  main = CreateWindowExA(WS_EX_TOOLWINDOW, kMainClass, "Reference host", WS_POPUP, 0, 0, 0, 0,
                         nullptr, nullptr, g_module, nullptr);
  return main;
}

int __stdcall DevRenderWindow(HostWindow* window, void* pixels, int width, int height) {
  WindowObject* obj = Obj(window);
  if (!IsLive(obj) || !obj->Hwnd || !pixels || width <= 0 || height <= 0) return 0;
  Compose(obj, static_cast<uint32_t*>(pixels), width, height);
  return 1;
}

}  // extern "C"
