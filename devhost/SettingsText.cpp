#include "SettingsText.h"

#include "HexText.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace devhost {
namespace {

std::string Trimmed(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// A whole decimal number with an optional sign and nothing else, within 32 bits.
bool ReadWholeNumber(const std::string& text, long* value) {
  if (text.empty()) return false;
  size_t digits = (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (digits == text.size()) return false;
  for (size_t i = digits; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  errno = 0;
  long long parsed = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
  *value = static_cast<long>(parsed);
  return true;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

COLORREF ColourFromText(const std::string& text) {
  const uint32_t value = devhost::ParseHex(text);
  return RGB((value >> 16) & 255, (value >> 8) & 255, value & 255);
}

std::string ColourToText(COLORREF colour) {
  char text[8];
  std::snprintf(text, sizeof text, "%02x%02x%02x", GetRValue(colour), GetGValue(colour),
                GetBValue(colour));
  return text;
}

FontChoice FontFromText(const std::string& text) {
  std::string fields[4];
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    size_t comma = i < 3 ? text.find(',', start) : std::string::npos;
    fields[i] = Trimmed(text.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  FontChoice font;
  font.Face = fields[0];
  font.Points = std::atoi(fields[1].c_str());
  const std::string& style = fields[2];
  font.Bold = style.size() > 0 && style[0] >= '1' && style[0] <= '9';
  font.Italic = style.size() > 1 && style[1] >= '1' && style[1] <= '9';
  font.Underline = style.size() > 2 && style[2] >= '1' && style[2] <= '9';
  int charset = std::atoi(fields[3].c_str());
  font.Charset = charset >= 0 && charset <= 255 ? charset : 0;
  return font;
}

std::string FontToText(const FontChoice& font) {
  std::string style = {font.Bold ? '1' : '0', font.Italic ? '1' : '0', font.Underline ? '1' : '0'};
  return font.Face + "," + std::to_string(font.Points) + "," + style + "," +
         std::to_string(font.Charset);
}

LOGFONTA FontToLogFont(const FontChoice& font, int dpi) {
  LOGFONTA lf{};
  lf.lfHeight = -MulDiv(font.Points, dpi, 72);
  lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = font.Italic;
  lf.lfUnderline = font.Underline;
  lf.lfCharSet = static_cast<BYTE>(font.Charset);
  std::strncpy(lf.lfFaceName, font.Face.c_str(), sizeof lf.lfFaceName - 1);
  return lf;
}

FontChoice FontFromLogFont(const LOGFONTA& logFont, int pointTenths) {
  FontChoice font;
  font.Face = std::string(logFont.lfFaceName, strnlen(logFont.lfFaceName, LF_FACESIZE));
  font.Points = (pointTenths + 5) / 10;
  // The plug-in makes any bold font with one weight; a semi-bold choice is nearer bold than not.
  font.Bold = logFont.lfWeight >= FW_SEMIBOLD;
  font.Italic = logFont.lfItalic != 0;
  font.Underline = logFont.lfUnderline != 0;
  font.Charset = logFont.lfCharSet;
  return font;
}

std::string DescribeFont(const FontChoice& font) {
  std::string text =
      (font.Face.empty() ? "(no font)" : font.Face) + ", " + std::to_string(font.Points) + " pt";
  if (font.Bold) text += ", bold";
  if (font.Italic) text += ", italic";
  if (font.Underline) text += ", underlined";
  return text;
}

std::string CheckSettingText(const SettingDescriptor& row, const std::string& text) {
  const std::string name = row.Caption ? row.Caption : (row.Key ? row.Key : "This setting");
  long number = 0;
  switch (row.Kind) {
    case KindInteger:
      if (!ReadWholeNumber(text, &number))
        return name + ": " + Quoted(text) +
               " is not a whole number. Type digits only, with a minus sign in front for a "
               "negative number.";
      return {};
    case KindBoolean:
      return text == "0" || text == "1" ? std::string() : name + ": must be on or off.";
    case KindChoice:
      if (!ReadWholeNumber(text, &number) || number < 0 || number > row.MaxIndex)
        return name + ": choose one of the listed options.";
      return {};
    case KindColor: {
      size_t digits = text.find_first_not_of("0123456789abcdefABCDEF");
      if (text.empty() || text.size() > 6 || digits != std::string::npos)
        return name + ": " + Quoted(text) + " is not a colour.";
      return {};
    }
    case KindFont: {
      FontChoice font = FontFromText(text);
      if (font.Face.empty() || font.Face.size() > 31 || font.Points <= 0 ||
          text.find(',') == std::string::npos)
        return name + ": " + Quoted(text) + " is not a font.";
      return {};
    }
    case KindPicture:
      if (text.size() > 260)
        return name + ": the path is " + std::to_string(text.size()) +
               " characters long; at most 260 fit.";
      if (text.find_first_of("\r\n") != std::string::npos)
        return name + ": a path cannot hold a line break.";
      return {};
  }
  return {};
}

bool CollectChanges(const std::vector<SettingField>& fields, std::vector<SettingChange>* changes,
                    size_t* badField, std::string* message) {
  changes->clear();
  std::vector<SettingChange> found;
  for (size_t i = 0; i < fields.size(); ++i) {
    const SettingField& field = fields[i];
    if (!field.Row || !field.Row->Key || field.Row->Kind == KindGroup) continue;
    std::string problem = CheckSettingText(*field.Row, field.Edited);
    if (!problem.empty()) {
      *badField = i;
      *message = problem;
      return false;
    }
    if (field.Edited != field.Stored) found.push_back({field.Row->Key, field.Edited});
  }
  *changes = found;
  return true;
}

}  // namespace devhost
