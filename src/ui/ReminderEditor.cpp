#include "ui/ReminderEditor.h"

#include <cmath>
#include <string>

#include "model/MonthGrid.h"
#include "model/ReminderStore.h"
#include "plugin/PluginState.h"

namespace {

const int BoxWidth = 100, BoxHeight = 50;

int CellIndex(const GridCell& cell) { return (cell.Column - 1) * GridRows + (cell.Row - 1); }

void HideBox() { ShowWindow(State.InputBox, SW_HIDE); }

// Stores (or, for an empty text, deletes) the reminder of the selected cell's day, with today's
// month and year, as they are when Enter is handled.
void StoreForSelectedCell(const std::string& text) {
  // Enter cannot reach a box that was never opened over the grid; should it, nothing is stored.
  if (State.SelectedCell.Column == 0) return;
  State.CurrentKey = MakeDateKey(State.MonthGrid[CellIndex(State.SelectedCell)]);
  SetReminder(text, State.CurrentKey);
}

}  // namespace

int CellNumber(int offset, int cellSize) {
  return static_cast<int>(std::lrint((offset + cellSize / 2.0) / cellSize));
}

void OpenReminderEditor() {
  GetCursorPos(&State.CursorPos);
  const int s = State.CellSize;
  const int column = CellNumber(State.CursorPos.x - State.XPos - State.GridOffset, s);
  const int row = CellNumber(State.CursorPos.y - State.YPos, s) - 1;
  if (row < 1 || row > GridRows || column < 1 || column > GridColumns) return;

  State.SelectedCell = {column, row};
  const int index = CellIndex(State.SelectedCell);
  const int day = State.MonthGrid[index];
  if (day != 0)
    State.CurrentKey = MakeDateKey(day);
  else
    State.CurrentKey.clear();

  SetWindowPos(State.InputBox, HWND_TOPMOST, State.CursorPos.x, State.CursorPos.y, BoxWidth,
               BoxHeight, 0);
  // Text set this way sends no change notification, so filling is not taken for an edit.
  if (State.EventFlags[index] != 0) {
    State.EditText = FindReminder(State.CurrentKey);
    SetWindowTextA(State.InputBox, State.EditText.c_str());
  } else {
    SetWindowTextA(State.InputBox, "");
  }
  ShowWindow(State.InputBox, SW_SHOW);
  SetFocus(State.InputBox);
}

LRESULT HandleEditorNotification(WPARAM wParam, LPARAM lParam) {
  if (State.InputBox == nullptr || reinterpret_cast<HWND>(lParam) != State.InputBox) return 0;
  switch (HIWORD(wParam)) {
    case EN_CHANGE: {
      GetWindowTextA(State.InputBox, State.EditorBuffer, EditorBufferSize);
      State.EditText = State.EditorBuffer;
      const size_t length = State.EditText.size();
      // Hiding the focused box may send its focus-loss notification at once; that nested call only
      // hides the box again, so the text is taken before hiding.
      if (length >= 2 && State.EditText[1] == '\n') {
        MessageBeep(0);
        HideBox();
        StoreForSelectedCell(std::string());
        return 1;
      }
      if (length == 0) return 0;
      if (State.EditText[length - 1] == '\n') {
        const std::string text = State.EditText.substr(0, length >= 2 ? length - 2 : 0);
        HideBox();
        StoreForSelectedCell(text);
        return 1;
      }
      return 0;
    }
    case EN_KILLFOCUS:
      HideBox();
      return 1;
    default:
      return 0;
  }
}
