// The plug-in's settings in the host's store, section "Calendar".
#pragma once

#include <windows.h>

// First start writes the defaults; every start reads all settings into State.
void LoadSettings();
// Stores the window's current top-left corner, in State at once and in the store.
void SavePosition();
// Stored colours are red first; Windows colour values have red in the low byte.
COLORREF SwapRedBlue(COLORREF colour);

// What a cell size outside these bounds is replaced with: the face divides by it and multiplies it
// by eight, so it must be positive and small enough to keep every product within an int.
enum : int { DefaultCellSize = 23, MaximumCellSize = 1000 };
