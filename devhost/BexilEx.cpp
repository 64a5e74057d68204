// BexilEx.dll of the reference host: CreateBexilWND and the window object it hands out, with real
// layers (32-bit DIB sections), skins and pictures composed into the window; the host's main window
// for the host messages; and the faults and answers that tests set.
#include <windows.h>

#include <algorithm>
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
};

std::vector<WindowObject*> g_windows;
WindowObject* g_lastWindow = nullptr;
// The object whose window is being created: messages arrive before CreateWindowExA returns.
WindowObject* g_creating = nullptr;

const char kWindowClass[] = "ReferenceHostCalendarWindow";
const char kMainClass[] = "ReferenceHostMainWindow";

void Trace(const std::string& line) { DevTraceAppend(line.c_str()); }

std::string Args(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& part : parts) {
    if (!out.empty()) out += ", ";
    out += part;
  }
  return out;
}

std::string Num(long long value) { return std::to_string(value); }

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
  obj->Skins.clear();
  obj->ShownSkin = -1;
  obj->Pictures.clear();
}

// The window covers the shown skin and every layer.
void FitWindow(WindowObject* obj) {
  if (!obj->Hwnd) return;
  int width = 0, height = 0;
  if (obj->ShownSkin >= 0) {
    width = obj->Skins[static_cast<size_t>(obj->ShownSkin)].Width;
    height = obj->Skins[static_cast<size_t>(obj->ShownSkin)].Height;
  }
  for (auto& layer : obj->Layers) {
    width = std::max(width, layer->X + layer->Width);
    height = std::max(height, layer->Y + layer->Height);
  }
  SetWindowPos(obj->Hwnd, nullptr, 0, 0, width, height,
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

// Without per-pixel alpha on the desktop yet, the composition is shown over a plain background.
void Paint(WindowObject* obj, HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  int width = client.right, height = client.bottom;
  if (dc && width > 0 && height > 0) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    Compose(obj, pixels.data(), width, height);
    uint32_t background = 0xFF000000u | (GetSysColor(COLOR_DESKTOP) & 0xFFFFFFu);
    std::vector<uint32_t> shown(pixels.size(), background);
    BlendOver(shown.data(), width, height, pixels.data(), width, height, 0, 0);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, shown.data(), &info,
                      DIB_RGB_COLORS);
  }
  EndPaint(hwnd, &ps);
}

// Every message goes to the plug-in's callback first; what it leaves (result 0) the host handles.
LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* obj = reinterpret_cast<WindowObject*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!obj && g_creating) {
    obj = g_creating;
    obj->Hwnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(obj));
  }
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
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT:
      if (obj) {
        Paint(obj, hwnd);
        return 0;
      }
      break;
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
  ShowWindow(hwnd, visible ? SW_SHOWNOACTIVATE : SW_HIDE);
  return 1;
}

int __stdcall RedrawOp(HostWindow* self) {
  Trace(Call("Redraw", ""));
  HWND hwnd = Obj(self)->Hwnd;
  if (!hwnd) return 0;
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
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
      return 0;
    case HostBeginModal:
      Trace(Call("HostBeginModal", Args({Num(static_cast<long long>(wParam)), Num(lParam)})));
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
    DWORD exStyle = WS_EX_TOOLWINDOW | (zOrder == 2 ? WS_EX_TOPMOST : 0);
    g_creating = obj;
    HWND hwnd = CreateWindowExA(exStyle, kWindowClass, "Calendar", WS_POPUP, x, y, 0, 0, nullptr,
                                nullptr, g_module, nullptr);
    g_creating = nullptr;
    if (hwnd) {
      obj->Hwnd = hwnd;
      g_windows.push_back(obj);
      g_lastWindow = obj;
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

void __stdcall DevResetHost(void) {
  g_answers = Answers{};
  g_lastWindow = nullptr;
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
