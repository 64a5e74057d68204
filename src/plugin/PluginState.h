// All module-wide state of the plug-in: one record, one instance, grouped by the subsystem that writes
// each field. Everything is zero or empty when the library loads; only the month names are filled then.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/BexilSDK.h"
#include "host/PluginAbi.h"
#include "host/drawpng.h"
#include "model/ReminderFile.h"

// Text buffers that hold a path: at most 260 characters and the terminating zero.
enum : int { PathBufferSize = 261 };
// Cells of the month grid: 7 columns by 6 rows, stored column by column.
enum : int { GridColumns = 7, GridRows = 6, GridCells = GridColumns * GridRows };
// The input box's text is read into a buffer of this size: 1024 characters and a zero.
enum : int { EditorBufferSize = 1025 };

struct GridCell {
  int32_t Column;  // 1 … 7, Monday first; 0 before the first click on the grid
  int32_t Row;     // 1 … 6; 0 before the first click on the grid
};

struct PluginState {
  // --- Plug-in shell: entry points, start-up and shut-down ---
  PluginInfo Info;                // handed to the host by GetPluginInfo
  HostContext Context;            // the host's record, copied at start-up
  HostWindow* Window;             // one counted reference; null before creation and after DoneModule
  int32_t SkinIndex;              // LoadSkin's answer for the main skin; negative when it failed
  char PluginDir[PathBufferSize];  // the plug-in's folder with its trailing backslash

  // --- Settings: written by LoadSettings, XPos/YPos also by SavePosition ---
  ConfigCursor SettingsCursor;  // LoadSettings' own cursor
  int32_t XPos, YPos;           // window's top-left corner on the screen
  int32_t CellSize;             // side of one calendar cell in pixels, always above 0
  int32_t ZOrder;               // 0 desktop, 1 normal, 2 always on top
  COLORREF TextColor, WeekEndColor, MessageColor;  // Windows order, red in the low byte
  FontSpec HeaderFontSpec, MessageFontSpec, InputFontSpec;
  BOOL DropShadow;
  char MainSkinPath[PathBufferSize];
  char CurDateSkinPath[PathBufferSize];
  char EventSkinPath[PathBufferSize];
  std::string EventsPath;  // the reminder file

  // --- Calendar model: month grid, date keys, reminder store ---
  char MonthNames[12][80];                // long month names of the loading thread's locale
  uint8_t MonthGrid[GridCells];           // day numbers, 0 for a blank cell, column by column
  int32_t EventFlags[GridCells];          // -1 where the cell's date has a reminder, else 0
  std::vector<std::string> ReminderList;  // the reminder file's lines, in file order
  FlagScan ReminderScan;                  // what the last load found for the grid's days
  bool ReminderScanValid;                 // ReminderScan describes ReminderList as it stands
  HANDLE EventsFile;                      // open only within one load or rewrite
  std::string CurrentKey;                 // scratch: the date key last built

  // --- Calendar face: built at start-up, refreshed every second ---
  int32_t SkinWidth, SkinHeight;
  int32_t GridOffset;  // window x of the left edge of grid column 1
  int32_t FaceLayer, NumbersLayer, EventsLayer;
  int32_t TodayMarker;
  PictureRecord TodayPicture;  // today's picture, held until DoneModule
  PictureRecord EventPicture;  // the reminder marker, reloaded every refresh
  HFONT HeaderFont, MessageFont, InputFont;
  RECT DrawRect;      // scratch
  LayerDC* ActiveDC;  // scratch: the drawing context last obtained

  // --- Interaction: window messages and the reminder editor ---
  HWND InputBox;  // hidden edit window owned by the host window
  char EditorBuffer[EditorBufferSize];
  std::string EditText;  // the box's text as last read or filled
  POINT CursorPos;       // pointer position of the last click or menu, screen pixels
  GridCell SelectedCell;
};

extern PluginState State;

// The plug-in library's own module handle.
HINSTANCE PluginModule();
