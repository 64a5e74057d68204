#include "face/Face.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "model/MonthGrid.h"
#include "model/ReminderStore.h"
#include "plugin/PluginState.h"

namespace {

// Text formats: centred both ways, and centred with word wrap for the reminder.
const int FormatCentred = DT_CENTER | DT_VCENTER;
const int FormatWrapped = DT_CENTER | DT_WORDBREAK;

// Host layer numbers and flags.
const int FaceLayerNumber = 1, EventsLayerNumber = 2, TodayPictureNumber = 3, NumbersLayerNumber = 4;
const int FaceLayerFlags = 68, GridLayerFlags = 64, TodayPictureFlags = 64;

HostWindow* Window() { return State.Window; }

int CellIndex(int column, int row) { return (column - 1) * GridRows + (row - 1); }

HFONT MakeFont(const FontSpec& font, HDC dc) {
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  return CreateFontA(-MulDiv(font.Size, dpi, 72), 0, 0, 0,
                     (font.Style & FontBold) ? 800 : 400, font.Style & FontItalic,
                     font.Style & FontUnderline, 0, static_cast<DWORD>(font.Charset),
                     OUT_CHARACTER_PRECIS, 0, 0, 0, font.FaceName);
}

void MakeFonts() {
  State.ActiveDC = Window()->Vtbl->GetLayerDC(Window(), State.EventsLayer);
  // Without a layer context from the host, the screen's resolution is the best guess for the fonts.
  HDC screen = nullptr;
  HDC dc = State.ActiveDC != nullptr ? State.ActiveDC->DC : (screen = GetDC(nullptr));
  State.HeaderFont = MakeFont(State.HeaderFontSpec, dc);
  State.MessageFont = MakeFont(State.MessageFontSpec, dc);
  State.InputFont = MakeFont(State.InputFontSpec, dc);
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  if (State.ActiveDC != nullptr) Window()->Vtbl->ReleaseLayerDC(Window(), State.ActiveDC);
}

void DrawDayNumbersAndToday() {
  const int s = State.CellSize;
  for (int row = 1; row <= GridRows; ++row) {
    for (int column = 1; column <= GridColumns; ++column) {
      const int day = State.MonthGrid[CellIndex(column, row)];
      if (day == 0) continue;
      State.DrawRect = {State.GridOffset + (column - 1) * s, (row - 1) * s,
                        State.GridOffset + column * s, row * s};
      if (day == TodayDate().Day) {
        std::memset(&State.TodayPicture, 0, sizeof State.TodayPicture);
        State.TodayPicture.FilePath = State.CurDateSkinPath;
        LoadImageEx(&State.TodayPicture);
        State.TodayMarker = Window()->Vtbl->AddPicture(
            Window(), TodayPictureNumber, State.GridOffset + (column - 1) * s, row * s,
            &State.TodayPicture, TodayPictureFlags);
        State.TodayPicture.FilePath = nullptr;
      }
      const std::string text = std::to_string(day);
      const COLORREF colour = column <= 5 ? State.TextColor : State.WeekEndColor;
      Window()->Vtbl->DrawLayerText(Window(), State.NumbersLayer, text.c_str(), &State.DrawRect,
                                    State.HeaderFont, FormatCentred, colour, State.DropShadow, 0);
    }
  }
}

void DrawMarkers() {
  const int s = State.CellSize;
  FreePicture(&State.EventPicture);
  std::memset(&State.EventPicture, 0, sizeof State.EventPicture);
  State.EventPicture.FilePath = State.EventSkinPath;
  LoadImageEx(&State.EventPicture);
  State.ActiveDC = Window()->Vtbl->GetLayerDC(Window(), State.EventsLayer);
  if (State.ActiveDC != nullptr) {
    for (int row = 1; row <= GridRows; ++row)
      for (int column = 1; column <= GridColumns; ++column)
        if (State.EventFlags[CellIndex(column, row)] != 0)
          DrawPicture(0, State.ActiveDC->DC, (column - 1) * s + State.GridOffset, (row - 1) * s,
                      &State.EventPicture);
    Window()->Vtbl->ReleaseLayerDC(Window(), State.ActiveDC);
  }
  State.EventPicture.FilePath = nullptr;
}

void DrawBands() {
  const int s = State.CellSize;
  State.ActiveDC = Window()->Vtbl->GetLayerDC(Window(), State.FaceLayer);
  if (State.ActiveDC == nullptr) return;
  HDC dc = State.ActiveDC->DC;
  State.DrawRect = {0, 0, State.SkinWidth, s};
  Window()->Vtbl->DrawTextDC(Window(), dc, CurrentMonthName(), &State.DrawRect, State.HeaderFont,
                             FormatCentred, State.TextColor, State.DropShadow, 0);
  State.DrawRect = {0, 7 * s, State.SkinWidth, 8 * s};
  State.CurrentKey = MakeDateKey(TodayDate().Day);
  const std::string reminder = FindReminder(State.CurrentKey);
  Window()->Vtbl->DrawTextDC(Window(), dc, reminder.c_str(), &State.DrawRect, State.MessageFont,
                             FormatWrapped, State.MessageColor, State.DropShadow, 0);
  Window()->Vtbl->ReleaseLayerDC(Window(), State.ActiveDC);
}

}  // namespace

int CenteredGridOffset(int skinWidth, int cellSize) {
  // lrint rounds in the default mode, to nearest with halves to even.
  return static_cast<int>(std::lrint((skinWidth - 7.0 * cellSize) / 2.0));
}

void BuildFace() {
  const int s = State.CellSize;
  Window()->Vtbl->GetSkinRect(Window(), State.SkinIndex, &State.DrawRect);
  State.SkinWidth = State.DrawRect.right;
  State.SkinHeight = State.DrawRect.bottom;
  State.GridOffset = CenteredGridOffset(State.SkinWidth, s);

  // A failed or too small skin must not ask the host for layers of negative size.
  const int width = std::max(0, State.SkinWidth);
  const int gridHeight = std::max(0, State.SkinHeight - 2 * s);
  State.FaceLayer = Window()->Vtbl->CreateLayer(Window(), FaceLayerNumber, 0, 0, width,
                                                std::max(0, State.SkinHeight), FaceLayerFlags, 0);
  State.NumbersLayer = Window()->Vtbl->CreateLayer(Window(), NumbersLayerNumber, 0, s, width,
                                                   gridHeight, GridLayerFlags, 0);
  State.EventsLayer = Window()->Vtbl->CreateLayer(Window(), EventsLayerNumber, 0, s, width,
                                                  gridHeight, GridLayerFlags, 0);
  MakeFonts();
  BuildMonthGrid();
  DrawDayNumbersAndToday();

  State.InputBox = Window()->Vtbl->CreateChildWindow(
      Window(), WS_EX_TOPMOST, "EDIT", "", WS_BORDER | ES_AUTOVSCROLL | ES_MULTILINE, 0, 7 * s,
      State.SkinWidth, s, 0, PluginModule(), 0);
  SendMessageA(State.InputBox, WM_SETFONT, reinterpret_cast<WPARAM>(State.InputFont), 1);
}

void RefreshFace() {
  LoadReminders();
  DrawMarkers();
  DrawBands();
  Window()->Vtbl->Redraw(Window());
}

void ReleaseFaceFonts() {
  HFONT* fonts[] = {&State.HeaderFont, &State.MessageFont, &State.InputFont};
  for (HFONT* font : fonts) {
    if (*font != nullptr) DeleteObject(*font);
    *font = nullptr;
  }
}
