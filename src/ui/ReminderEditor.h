// The small box in which the user writes, changes or deletes a day's reminder.
#pragma once

#include <windows.h>

// On a left click: opens the box at the pointer over the clicked day, filled with its reminder.
void OpenReminderEditor();
// On the box's notifications: Enter at the end stores, Enter at the start deletes, leaving hides.
// Returns the callback's result.
LRESULT HandleEditorNotification(WPARAM wParam, LPARAM lParam);

// Cell number of a pointer offset d for cells of `cellSize` pixels: (d + size/2) / size rounded to
// the nearest integer, halves to even. cellSize must be positive.
int CellNumber(int offset, int cellSize);
