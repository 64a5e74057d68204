// The calendar face: built once at start-up, refreshed on every timer message.
#pragma once

// Layers, fonts, month grid, day numbers, today's picture and the hidden input box.
void BuildFace();
// Reminder markers, the month's name on top and today's reminder at the bottom, then presents them.
void RefreshFace();
// Deletes the three fonts made by BuildFace (shut-down; a host may start the plug-in again).
void ReleaseFaceFonts();

// Left edge of grid column 1 in window pixels: the seven columns centred in the skin, a half pixel
// going to the even neighbour.
int CenteredGridOffset(int skinWidth, int cellSize);
