// The window object of BexilEx.dll: message routing to the plug-in's callback, owned windows, the
// counted object, layers and pictures composed by number, text with alpha, the faults tests set,
// and the host's main window.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "DevHostControl.h"
#include "support/TestEnv.h"
#include "host/BexilSDK.h"
#include "host/PluginAbi.h"

namespace {

// What the callback saw, and what it answers: 0 for everything except the messages listed.
struct Seen {
  UINT Message;
  WPARAM WParam;
  LPARAM LParam;
};
std::vector<Seen> g_seen;
std::vector<std::pair<UINT, LRESULT>> g_answers;

LRESULT CALLBACK Callback(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  g_seen.push_back({message, wParam, lParam});
  for (auto& answer : g_answers)
    if (answer.first == message) return answer.second;
  return 0;
}

bool SawMessage(UINT message) {
  for (const Seen& s : g_seen)
    if (s.Message == message) return true;
  return false;
}

// Dispatches this thread's messages until the condition holds or two seconds pass.
template <typename Condition>
bool PumpUntil(Condition condition) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > 2000) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(5);
  }
  return true;
}

// Premultiplied pixels as 0xAARRGGBB.
const uint32_t kGrey = 0xFF808080u, kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu, kGreen = 0xFF00FF00u,
               kYellow = 0xFFFFFF00u;

// Writes one value into a rectangle of the layer behind a LayerDC; GDI fills would leave alpha 0.
void FillLayer(LayerDC* layer, int left, int top, int right, int bottom, uint32_t pixel) {
  DIBSECTION dib{};
  ASSERT_EQ(GetObjectA(GetCurrentObject(layer->DC, OBJ_BITMAP), sizeof dib, &dib),
            static_cast<int>(sizeof dib));
  auto* bits = static_cast<uint32_t*>(dib.dsBm.bmBits);
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) bits[y * dib.dsBm.bmWidth + x] = pixel;
}

class HostWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DevResetHost();
    g_seen.clear();
    g_answers.clear();
    window_ = CreateBexilWND(30, 40, 5, 1, 9, Callback, 5, 0);
    ASSERT_NE(window_, nullptr);
    v_ = window_->Vtbl;
    hwnd_ = v_->GetHandle(window_);
    ASSERT_TRUE(IsWindow(hwnd_));
  }
  void TearDown() override {
    DestroyWindow(hwnd_);
    if (DevWindowRefCount(window_) > 0) v_->Release(window_);
    DevResetHost();
  }

  std::vector<uint32_t> Render(int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0xDEADBEEFu);
    EXPECT_EQ(DevRenderWindow(window_, pixels.data(), width, height), 1);
    return pixels;
  }

  std::string SolidPng(const char* name, int width, int height, uint32_t argb) {
    std::string path = folder_.File(name);
    WritePng(path, width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, argb));
    return path;
  }

  ScratchDir folder_;
  HostWindow* window_ = nullptr;
  const HostWindowVtbl* v_ = nullptr;
  HWND hwnd_ = nullptr;
};

TEST_F(HostWindowTest, EveryMessageReachesTheCallbackFirst) {
  g_answers = {{WM_APP + 5, 42}, {WM_GETTEXTLENGTH, 77}};
  EXPECT_EQ(SendMessageA(hwnd_, WM_APP + 5, 1, 2), 42);
  ASSERT_TRUE(SawMessage(WM_APP + 5));
  EXPECT_EQ(g_seen.back().WParam, 1u);
  EXPECT_EQ(g_seen.back().LParam, 2);
  // Answered by the callback: the default handling is not consulted.
  EXPECT_EQ(GetWindowTextLengthA(hwnd_), 77);
  // Left by the callback (0): the default window procedure stores and returns the text.
  SetWindowTextA(hwnd_, "hello");
  char text[16] = {};
  GetWindowTextA(hwnd_, text, sizeof text);
  EXPECT_STREQ(text, "hello");
  EXPECT_TRUE(SawMessage(WM_SETTEXT));
  EXPECT_TRUE(SawMessage(WM_GETTEXT));
}

TEST_F(HostWindowTest, TimerMessagesReachTheCallback) {
  SetTimer(hwnd_, 0, 10, nullptr);
  EXPECT_TRUE(PumpUntil([] { return SawMessage(WM_TIMER); }));
  KillTimer(hwnd_, 0);
}

TEST_F(HostWindowTest, OwnedEditNotifiesTheCallback) {
  HWND edit = v_->CreateChildWindow(window_, WS_EX_TOPMOST, "EDIT", "", 0x800044, 0, 161, 168, 23,
                                    0, GetModuleHandleA(nullptr), 0);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(GetWindow(edit, GW_OWNER), hwnd_);
  EXPECT_FALSE(IsWindowVisible(edit));
  g_seen.clear();
  SendMessageA(edit, WM_CHAR, 'x', 1);
  bool changed = false;
  for (const Seen& s : g_seen)
    if (s.Message == WM_COMMAND && HIWORD(s.WParam) == EN_CHANGE && LOWORD(s.WParam) == 0 &&
        reinterpret_cast<HWND>(s.LParam) == edit)
      changed = true;
  EXPECT_TRUE(changed);
  DestroyWindow(edit);
}

TEST_F(HostWindowTest, CountedObject) {
  EXPECT_EQ(DevLastWindow(), window_);
  EXPECT_EQ(DevWindowCallback(window_), &Callback);
  EXPECT_EQ(DevWindowRefCount(window_), 1);
  EXPECT_EQ(v_->AddRef(window_), 2);
  void* out = nullptr;
  const unsigned char iidUnknown[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  EXPECT_EQ(v_->QueryInterface(window_, iidUnknown, &out), 0);
  EXPECT_EQ(out, window_);
  const unsigned char other[16] = {1};
  EXPECT_NE(v_->QueryInterface(window_, other, &out), 0);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(DevWindowRefCount(window_), 3);
  EXPECT_EQ(v_->Release(window_), 2);
  EXPECT_EQ(v_->Release(window_), 1);

  // The last release frees the object but leaves the window, which then no longer calls back.
  EXPECT_EQ(v_->Release(window_), 0);
  EXPECT_EQ(DevWindowRefCount(window_), 0);
  EXPECT_EQ(DevLastWindow(), nullptr);
  EXPECT_EQ(DevWindowCallback(window_), nullptr);
  EXPECT_TRUE(IsWindow(hwnd_));
  g_seen.clear();
  SendMessageA(hwnd_, WM_APP + 1, 0, 0);
  EXPECT_TRUE(g_seen.empty());
  std::vector<uint32_t> pixels(4);
  EXPECT_EQ(DevRenderWindow(window_, pixels.data(), 2, 2), 0);
}

TEST_F(HostWindowTest, DestroyedWindowRendersNothing) {
  EXPECT_EQ(DevRenderWindow(nullptr, nullptr, 1, 1), 0);
  DestroyWindow(hwnd_);
  EXPECT_TRUE(SawMessage(WM_NCDESTROY));
  EXPECT_EQ(v_->GetHandle(window_), nullptr);
  std::vector<uint32_t> pixels(4);
  EXPECT_EQ(DevRenderWindow(window_, pixels.data(), 2, 2), 0);
}

// Skin first, then by number: layer 2 (blue), picture 3 (green), layer 4 (red); a picture sharing a
// layer's number (yellow, 2) lies above that layer. Row 1 has only the skin.
TEST_F(HostWindowTest, ComposesSkinThenLayersAndPicturesByNumber) {
  ASSERT_EQ(v_->LoadSkin(window_, SolidPng("skin.png", 4, 2, kGrey).c_str()), 0);
  RECT rect;
  v_->GetSkinRect(window_, 0, &rect);
  EXPECT_EQ(rect.right, 4);
  EXPECT_EQ(rect.bottom, 2);
  RECT client;
  GetClientRect(hwnd_, &client);
  EXPECT_EQ(client.right, 4) << "the window takes the skin's size";

  int red = v_->CreateLayer(window_, 4, 0, 0, 2, 1, 64, 0);
  int blue = v_->CreateLayer(window_, 2, 0, 0, 4, 1, 64, 0);
  EXPECT_GT(red, 0);
  EXPECT_GT(blue, 0);
  LayerDC* dc = v_->GetLayerDC(window_, red);
  ASSERT_NE(dc, nullptr);
  FillLayer(dc, 0, 0, 2, 1, kRed);
  v_->ReleaseLayerDC(window_, dc);
  dc = v_->GetLayerDC(window_, blue);
  ASSERT_NE(dc, nullptr);
  FillLayer(dc, 0, 0, 4, 1, kBlue);
  v_->ReleaseLayerDC(window_, dc);

  std::string greenPath = SolidPng("green.png", 2, 1, 0xFF00FF00u);
  std::string yellowPath = SolidPng("yellow.png", 1, 1, 0xFFFFFF00u);
  PictureRecord green{}, yellow{};
  green.FilePath = greenPath.c_str();
  yellow.FilePath = yellowPath.c_str();
  ASSERT_EQ(LoadImageEx(&green), 1);
  ASSERT_EQ(LoadImageEx(&yellow), 1);
  EXPECT_GT(v_->AddPicture(window_, 3, 1, 0, &green, 64), 0);
  EXPECT_GT(v_->AddPicture(window_, 2, 3, 0, &yellow, 64), 0);

  std::vector<uint32_t> pixels = Render(4, 2);
  std::vector<uint32_t> expected = {kRed, kRed, kGreen, kYellow, kGrey, kGrey, kGrey, kGrey};
  EXPECT_EQ(pixels, expected);

  // A picture released by the plug-in simply stops showing.
  FreePicture(&green);
  pixels = Render(4, 2);
  EXPECT_EQ(pixels[2], kBlue);
  FreePicture(&yellow);
}

TEST_F(HostWindowTest, LayerDCStartsCleared) {
  int layer = v_->CreateLayer(window_, 1, 1, 0, 2, 2, 68, 0);
  LayerDC* dc = v_->GetLayerDC(window_, layer);
  ASSERT_NE(dc, nullptr);
  FillLayer(dc, 0, 0, 2, 2, kRed);
  v_->ReleaseLayerDC(window_, dc);
  EXPECT_EQ(Render(3, 2), (std::vector<uint32_t>{0, kRed, kRed, 0, kRed, kRed}));
  dc = v_->GetLayerDC(window_, layer);
  ASSERT_NE(dc, nullptr);
  v_->ReleaseLayerDC(window_, dc);
  EXPECT_EQ(Render(3, 2), std::vector<uint32_t>(6, 0));
}

TEST_F(HostWindowTest, EmptyLayersAndBadHandlesAreHarmless) {
  for (int size : {0, -5}) {
    int layer = v_->CreateLayer(window_, 4, 0, 23, size, size, 64, 0);
    EXPECT_GT(layer, 0);
    LayerDC* dc = v_->GetLayerDC(window_, layer);
    RECT r = {0, 0, 10, 10};
    EXPECT_EQ(v_->DrawLayerText(window_, layer, "1", &r, nullptr, 5, 0, 0, 0), 0);
    if (dc) v_->ReleaseLayerDC(window_, dc);
  }
  EXPECT_EQ(v_->GetLayerDC(window_, 99), nullptr);
  EXPECT_EQ(v_->ReleaseLayerDC(window_, nullptr), 0);
  RECT rect = {1, 2, 3, 4};
  EXPECT_EQ(v_->GetSkinRect(window_, -1, &rect), 0);
  EXPECT_EQ(rect.left | rect.top | rect.right | rect.bottom, 0);
  EXPECT_EQ(v_->LoadSkin(window_, folder_.File("missing.png").c_str()), -1);
}

// Text on a cleared layer becomes opaque where GDI drew it, in the place asked for (top half here),
// and stays transparent elsewhere; pixels stay valid premultiplied values; a shadow adds dark
// opaque pixels next to the light text. Both ways of drawing text on a layer behave alike.
TEST_F(HostWindowTest, LayerTextHasAlpha) {
  HFONT font = CreateFontA(-16, 0, 0, 0, 800, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  ASSERT_NE(font, nullptr);
  const int kTopCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  struct Case {
    const char* name;
    bool throughDC;
    int shadow;
  } cases[] = {{"DrawLayerText", false, 0},
               {"DrawLayerText with shadow", false, 1},
               {"DrawTextDC", true, 0},
               {"DrawTextDC with shadow", true, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostWindow* w = CreateBexilWND(0, 0, 0, 0, 11, Callback, 0, 0);
    ASSERT_NE(w, nullptr);
    int layer = w->Vtbl->CreateLayer(w, 1, 0, 0, 60, 48, 68, 0);
    RECT rect = {0, 0, 60, 24};
    int height = 0;
    if (c.throughDC) {
      LayerDC* dc = w->Vtbl->GetLayerDC(w, layer);
      ASSERT_NE(dc, nullptr);
      height = w->Vtbl->DrawTextDC(w, dc->DC, "WMW", &rect, font, kTopCentred, RGB(255, 255, 255),
                                   c.shadow, 0);
      w->Vtbl->ReleaseLayerDC(w, dc);
    } else {
      height = w->Vtbl->DrawLayerText(w, layer, "WMW", &rect, font, kTopCentred, RGB(255, 255, 255),
                                      c.shadow, 0);
    }
    EXPECT_GT(height, 0);
    std::vector<uint32_t> pixels(60 * 48);
    ASSERT_EQ(DevRenderWindow(w, pixels.data(), 60, 48), 1);
    int light = 0, dark = 0, invalid = 0, belowBand = 0;
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 60; ++x) {
        uint32_t p = pixels[static_cast<size_t>(y) * 60 + x];
        uint32_t a = p >> 24, r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
        if (r > a || g > a || b > a) ++invalid;
        if (a == 255 && r > 200) ++light;
        if (a == 255 && r < 60) ++dark;
        if (y >= 26 && a != 0) ++belowBand;
      }
    }
    EXPECT_GT(light, 10);
    EXPECT_EQ(dark > 10, c.shadow != 0) << dark << " dark pixels";
    EXPECT_EQ(invalid, 0);
    EXPECT_EQ(pixels[0], 0u);
    EXPECT_EQ(belowBand, 0) << "text stays in its rectangle, upright";
    DestroyWindow(w->Vtbl->GetHandle(w));
    w->Vtbl->Release(w);
  }
  DeleteObject(font);
}

TEST_F(HostWindowTest, FaultsAndAnswers) {
  std::string skin = SolidPng("skin.png", 3, 2, kGrey);
  EXPECT_EQ(v_->GetVersion(window_), 20000u);
  DevSetVersion(19199);
  EXPECT_EQ(v_->GetVersion(window_), 19199u);

  DevSetSkinFails(1);
  EXPECT_EQ(v_->LoadSkin(window_, skin.c_str()), -1);

  RECT rect{};
  DevSetSkinSize(168, 184);
  EXPECT_EQ(v_->GetSkinRect(window_, -1, &rect), 1);
  EXPECT_EQ(rect.right, 168);
  EXPECT_EQ(rect.bottom, 184);

  int layer = v_->CreateLayer(window_, 1, 0, 0, 4, 4, 68, 0);
  DevSetNullLayerDC(1);
  EXPECT_EQ(v_->GetLayerDC(window_, layer), nullptr);

  DevSetNoWindow(1);
  EXPECT_EQ(CreateBexilWND(0, 0, 0, 0, 11, Callback, 0, 0), nullptr);
  EXPECT_EQ(DevLastWindow(), window_) << "a refused window is not the last one made";

  DevResetHost();
  EXPECT_EQ(DevLastWindow(), nullptr) << "a reset forgets the last window";
  EXPECT_EQ(v_->GetVersion(window_), 20000u);
  EXPECT_EQ(v_->LoadSkin(window_, skin.c_str()), 0);
  EXPECT_EQ(v_->GetSkinRect(window_, -1, &rect), 0);
  EXPECT_EQ(v_->GetSkinRect(window_, 0, &rect), 1);
  EXPECT_EQ(rect.right, 3);
  LayerDC* dc = v_->GetLayerDC(window_, layer);
  EXPECT_NE(dc, nullptr);
  v_->ReleaseLayerDC(window_, dc);
  HostWindow* second = CreateBexilWND(0, 0, 0, 0, 11, Callback, 0, 0);
  ASSERT_NE(second, nullptr);
  DestroyWindow(second->Vtbl->GetHandle(second));
  second->Vtbl->Release(second);
}

TEST(HostMainWindowTest, TracesTheHostMessages) {
  HWND main = DevHostMainWindow();
  ASSERT_TRUE(IsWindow(main));
  EXPECT_FALSE(IsWindowVisible(main));
  DevTraceClear();
  char request[] = "/Orvendale.plg";
  EXPECT_EQ(SendMessageA(main, HostBeginModal, 0, 0), 0);
  EXPECT_EQ(SendMessageA(main, HostEndModal, 0, 0), 0);
  EXPECT_EQ(SendMessageA(main, HostOpenSettings, 0, reinterpret_cast<LPARAM>(request)), 0);
  EXPECT_STREQ(DevTraceText(),
               "HostBeginModal(0, 0)\n"
               "HostEndModal(0, 0)\n"
               "HostOpenSettings(0, \"/Orvendale.plg\")\n");
  EXPECT_EQ(DevHostMainWindow(), main);
}

// Plug-in tests compare these lines literally.
TEST_F(HostWindowTest, TraceLines) {
  std::string skin = SolidPng("main.png", 8, 6, kGrey);
  std::string marker = SolidPng("event.png", 2, 2, kRed);
  HFONT font = CreateFontA(-15, 0, 0, 0, 800, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  DevTraceClear();
  HostWindow* w = CreateBexilWND(400, 500, 7, 0, 11, Callback, 7, 0);
  ASSERT_NE(w, nullptr);
  const HostWindowVtbl* v = w->Vtbl;
  v->AddRef(w);
  v->GetVersion(w);
  v->LoadSkin(w, skin.c_str());
  RECT rect;
  v->GetSkinRect(w, 0, &rect);
  int layer = v->CreateLayer(w, 2, 0, 2, 8, 2, 64, 0);
  LayerDC* dc = v->GetLayerDC(w, layer);
  PictureRecord picture{};
  picture.FilePath = marker.c_str();
  LoadImageEx(&picture);
  DrawPicture(0, dc->DC, 3, 0, &picture);
  RECT band = {0, 0, 8, 2};
  v->DrawTextDC(w, dc->DC, "May", &band, font, 5, RGB(128, 0, 0), 0, 0);
  v->ReleaseLayerDC(w, dc);
  v->DrawLayerText(w, layer, "14", &band, font, 17, 0xB70000, 1, 0);
  v->AddPicture(w, 3, 1, 2, &picture, 64);
  v->CreateChildWindow(w, 8, "EDIT", "", 0x800044, 0, 161, 168, 23, 0, GetModuleHandleA(nullptr),
                       0);
  v->SetVisible(w, 0);  // showing, then destroying, costs seconds on a bare X server
  v->Redraw(w);
  HWND hwnd = v->GetHandle(w);
  DestroyWindow(hwnd);
  v->Release(w);
  v->Release(w);
  FreePicture(&picture);
  DeleteObject(font);

  std::string q = "\"" + marker + "\"";
  EXPECT_EQ(
      std::string(DevTraceText()),
      "CreateBexilWND(400, 500, 7, 0, 11, callback, 7, 0) = window\n"
      "AddRef() = 2\n"
      "GetVersion() = 20000\n"
      "LoadSkin(\"" +
          skin +
          "\") = 0\n"
          "GetSkinRect(0) = {0, 0, 8, 6}\n"
          "CreateLayer(2, 0, 2, 8, 2, 64, 0) = 1\n"
          "GetLayerDC(1) = layerdc(1)\n"
          "LoadImageEx(" +
          q +
          ") = 1\n"
          "DrawPicture(0, layerdc(1), 3, 0, " +
          q +
          ")\n"
          "DrawTextDC(layerdc(1), \"May\", {0, 0, 8, 2}, font(\"Arial\", -15, 800), 5, 0x000080, "
          "0, 0)\n"
          "ReleaseLayerDC(layerdc(1))\n"
          "DrawLayerText(1, \"14\", {0, 0, 8, 2}, font(\"Arial\", -15, 800), 17, 0xB70000, 1, 0)\n"
          "AddPicture(3, 1, 2, " +
          q +
          ", 64) = 1\n"
          "CreateChildWindow(0x8, \"EDIT\", \"\", 0x800044, 0, 161, 168, 23, 0, "
          "module(\"devhost_tests.exe\"), 0) = hwnd\n"
          "SetVisible(0)\n"
          "Redraw()\n"
          "GetHandle() = hwnd\n"
          "Release() = 1\n"
          "Release() = 0\n"
          "FreePicture(" +
          q + ") = 1\n");
}


// Rows of the layer that hold lit text pixels: first and last, or -1 when none.
std::pair<int, int> LitRows(HostWindow* w, int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  EXPECT_EQ(DevRenderWindow(w, pixels.data(), width, height), 1);
  int first = -1, last = -1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if ((pixels[static_cast<size_t>(y) * width + x] >> 24) > 128) {
        if (first < 0) first = y;
        last = y;
      }
  return {first, last};
}

// The plug-in's two formats: 5 (centred both ways) puts one line in the middle of a tall rectangle,
// which GDI alone would leave at the top; 17 (centred, wrapped) puts the wrapped block in the middle
// and lets a block taller than the rectangle run on below it rather than lose its last lines. A
// format without either keeps GDI's meaning: top.
TEST_F(HostWindowTest, CentredAndWrappedTextArePlacedInTheirRectangle) {
  HFONT font = CreateFontA(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  ASSERT_NE(font, nullptr);
  struct Case {
    const char* name;
    const char* text;
    int format;
    RECT rect;
    int lowestTop, highestBottom;  // where the lit rows must lie
  } cases[] = {
      {"centred", "Mg", DT_CENTER | DT_VCENTER, {0, 20, 80, 80}, 40, 60},
      {"centred in the whole layer", "Mg", DT_CENTER | DT_VCENTER, {0, 0, 80, 100}, 40, 60},
      {"wrapped, short", "Mg", DT_CENTER | DT_WORDBREAK, {0, 20, 80, 80}, 40, 60},
      {"wrapped, long", "Words words words words words words", DT_CENTER | DT_WORDBREAK,
       {0, 20, 80, 32}, 20, 100},
      {"top", "Mg", DT_CENTER, {0, 20, 80, 80}, 20, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostWindow* w = CreateBexilWND(0, 0, 0, 0, 11, Callback, 0, 0);
    ASSERT_NE(w, nullptr);
    int layer = w->Vtbl->CreateLayer(w, 1, 0, 0, 80, 100, 68, 0);
    RECT rect = c.rect;
    w->Vtbl->DrawLayerText(w, layer, c.text, &rect, font, c.format, RGB(255, 255, 255), 0, 0);
    std::pair<int, int> rows = LitRows(w, 80, 100);
    EXPECT_GE(rows.first, c.lowestTop);
    EXPECT_LE(rows.second, c.highestBottom);
    if (std::string(c.name) == "wrapped, long") {
      EXPECT_GT(rows.second, c.rect.bottom + 12) << "later lines are drawn below the rectangle";
    }
    DestroyWindow(w->Vtbl->GetHandle(w));
    w->Vtbl->Release(w);
  }
  DeleteObject(font);
}

// A press and release in place is the plug-in's click; a press, a move beyond the drag rectangle and
// a release move the window and end as WM_EXITSIZEMOVE, without a click.
TEST_F(HostWindowTest, DragMovesTheWindowAndClickStaysAClick) {
  ASSERT_EQ(v_->LoadSkin(window_, SolidPng("skin.png", 40, 30, kGrey).c_str()), 0);
  struct Case {
    const char* name;
    POINT move;  // in client coordinates while pressed; the release follows at the same point
    bool moves;
  } cases[] = {{"still", {5, 5}, false}, {"tremor", {6, 6}, false}, {"drag", {25, 15}, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetWindowPos(hwnd_, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    g_seen.clear();
    SendMessageA(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(hwnd_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(c.move.x, c.move.y));
    RECT rect;
    GetWindowRect(hwnd_, &rect);
    // The pointer stays on the same spot of the window once it moves with it.
    POINT release = c.move;
    if (c.moves) release = {c.move.x - (rect.left - 30), c.move.y - (rect.top - 40)};
    SendMessageA(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(release.x, release.y));
    GetWindowRect(hwnd_, &rect);
    if (c.moves) {
      EXPECT_EQ(rect.left, 50);
      EXPECT_EQ(rect.top, 50);
    } else {
      EXPECT_EQ(rect.left, 30);
      EXPECT_EQ(rect.top, 40);
    }
    EXPECT_EQ(SawMessage(WM_EXITSIZEMOVE), c.moves);
    EXPECT_EQ(SawMessage(WM_LBUTTONUP), !c.moves);
    EXPECT_TRUE(SawMessage(WM_LBUTTONDOWN)) << "the press itself reaches the plug-in";
    EXPECT_EQ(GetCapture(), nullptr);
  }
}

// True when a lies anywhere below b in the z-order.
bool IsBelow(HWND a, HWND b) {
  for (HWND h = GetWindow(b, GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT))
    if (h == a) return true;
  return false;
}

// A desktop window (z-order 0) goes back under other windows when raised, except while a modal box
// or menu is open; when the last one closes it is put back at the bottom.
TEST_F(HostWindowTest, DesktopWindowStaysAtTheBottomExceptDuringAModal) {
  HostWindow* desk = CreateBexilWND(0, 0, 0, 0, 11, Callback, 0, 0);
  ASSERT_NE(desk, nullptr);
  HWND deskHwnd = desk->Vtbl->GetHandle(desk);
  // hwnd_ is a normal window (z-order 1), made before the desktop one.
  EXPECT_TRUE(IsBelow(deskHwnd, hwnd_));
  SetWindowPos(deskHwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(IsBelow(deskHwnd, hwnd_)) << "raised, and back at the bottom";
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_FALSE(IsBelow(deskHwnd, hwnd_)) << "a normal window may go lower";

  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  HostNoteModal(1);
  HostNoteModal(1);
  SetWindowPos(deskHwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(IsBelow(hwnd_, deskHwnd)) << "left alone while a modal is open";
  HostNoteModal(0);
  EXPECT_TRUE(IsBelow(hwnd_, deskHwnd)) << "one of two modals still open";
  HostNoteModal(0);
  EXPECT_TRUE(IsBelow(deskHwnd, hwnd_)) << "back at the bottom after the last modal";
  HostNoteModal(0);  // an unmatched end does not make the next begin count for nothing
  HostNoteModal(1);
  SetWindowPos(deskHwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(IsBelow(hwnd_, deskHwnd));
  HostNoteModal(0);

  DestroyWindow(deskHwnd);
  desk->Vtbl->Release(desk);
}

}  // namespace
