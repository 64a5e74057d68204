// The settings dialog's side of the stored texts: colours, fonts, numbers, check marks and choices
// as the settings store keeps them, turned into what the dialog's controls and the common colour
// and font boxes take, and back; and the check of every edited text before anything is stored. Kept
// free of windows so that the conversions and the checks are tested on their own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/PluginAbi.h"

namespace devhost {

// "800000" (hexadecimal, red first, as the plug-in stores colours) <-> a Windows colour (red in the
// low byte). Reading takes what the store's reader takes (optional "0x" or "#", up to the first
// other character); an empty or unreadable text is black. Writing gives six lower-case digits.
COLORREF ColourFromText(const std::string& text);
std::string ColourToText(COLORREF colour);

// A font as stored: "Face,size,BIU,charset", e.g. "Comic Sans MS,11,100,204" is 11 points, bold,
// character set 204.
struct FontChoice {
  std::string Face;
  int Points = 0;
  bool Bold = false, Italic = false, Underline = false;
  int Charset = 0;
};
FontChoice FontFromText(const std::string& text);
std::string FontToText(const FontChoice& font);
// What the font box starts with and gives back. dpi is the screen's vertical resolution.
LOGFONTA FontToLogFont(const FontChoice& font, int dpi);
// pointTenths is the size the font box reports (CHOOSEFONT::iPointSize), in tenths of a point.
FontChoice FontFromLogFont(const LOGFONTA& logFont, int pointTenths);
// "Comic Sans MS, 11 pt, bold" for the font button's caption.
std::string DescribeFont(const FontChoice& font);

// One editable row of the dialog: the stored text when the dialog opened, and the text the dialog's
// control holds now, both in the store's notation.
struct SettingField {
  const SettingDescriptor* Row = nullptr;
  std::string Stored;
  std::string Edited;
};

// Why a text cannot be stored for this row, as a sentence for the user; empty when it can.
std::string CheckSettingText(const SettingDescriptor& row, const std::string& text);

struct SettingChange {
  std::string Key, Value;
};
// The rows whose text changed, in row order, when every edited text passes the check. Otherwise
// false, with the first failing field's index and the message, and no change at all.
bool CollectChanges(const std::vector<SettingField>& fields, std::vector<SettingChange>* changes,
                    size_t* badField, std::string* message);

}  // namespace devhost
