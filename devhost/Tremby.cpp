// tremby.dll of the reference host: the settings store (an INI file per settings handle), pictures
// through GDI+, strcopy, and the call trace that both host libraries append to.
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "DevHostControl.h"
#include "HexText.h"
#include "IniFile.h"
#include "Picture.h"
#include "TraceFormat.h"
#include "host/drawpng.h"

using namespace devhost;

namespace {

// ---- the trace ----

CRITICAL_SECTION g_traceLock;
std::string g_trace;
bool g_tracing = true;
// Device contexts that BexilEx handed out for its layers, so that a picture drawn on one is traced
// by the layer's name rather than by a handle value that changes from run to run.
std::map<HDC, int> g_namedDCs;
// Where each loaded picture came from: the plug-in clears the record's path after loading, and the
// trace of a later draw or release should still say which picture it was. Its size is also the
// number of pictures held.
std::map<HBITMAP, std::string> g_pictureSources;

// Callers test g_tracing before formatting a line: a host that runs for hours with tracing off
// should not format lines nobody reads.
void Trace(const std::string& line) {
  if (!g_tracing) return;
  EnterCriticalSection(&g_traceLock);
  g_trace += line;
  g_trace += '\n';
  LeaveCriticalSection(&g_traceLock);
}

std::string DescribeDC(HDC dc) {
  if (!dc) return "0";
  auto it = g_namedDCs.find(dc);
  return it == g_namedDCs.end() ? "dc" : "layerdc(" + std::to_string(it->second) + ")";
}

// The record's path while it is set, else the file the held picture came from, else "empty".
std::string DescribePicture(const PictureRecord* record) {
  if (!record) return "0";
  if (record->FilePath) return QuoteText(record->FilePath);
  PixelImage image;
  if (PictureOf(record, &image)) {
    auto it = g_pictureSources.find(image.Bitmap);
    if (it != g_pictureSources.end()) return QuoteText(it->second.c_str());
    return "picture";
  }
  return "empty";
}

// ---- the settings store ----

std::map<int, std::string> g_storeFiles;

// One open-to-close sequence. The cursor names its slot and serial; the file is read at the open
// call and written at CloseCFGw, so the plug-in sees one consistent store per sequence.
struct Session {
  bool Used = false;
  bool Writing = false;
  bool Dirty = false;
  int Handle = 0;
  uint32_t Serial = 0;
  std::string Section;
  IniText Ini;
};

const uint32_t kCursorMark = 0x4356524F;  // "ORVC"
const int kSessions = 16;
Session g_sessions[kSessions];
uint32_t g_nextSerial = 1;

bool ReadWholeFile(const std::string& path, std::string* text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  text->clear();
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(file, buf, sizeof buf, &got, nullptr) && got > 0) text->append(buf, got);
  CloseHandle(file);
  return true;
}

// Writes beside the file and renames over it, so that a failed write leaves the old store whole.
bool WriteWholeFile(const std::string& path, const std::string& text) {
  std::string temp = path + ".new";
  HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size() && FlushFileBuffers(file);
  CloseHandle(file);
  if (ok)
    ok = MoveFileExA(temp.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) DeleteFileA(temp.c_str());
  return ok;
}

int OpenSession(int handle, bool writing, ConfigCursor* cursor) {
  if (!cursor) return 0;
  std::memset(cursor, 0, sizeof *cursor);
  auto file = g_storeFiles.find(handle);
  if (file == g_storeFiles.end()) return 0;
  // A sequence that was never closed must not block the store for good: the oldest slot is reused
  // and its stale cursor stops matching.
  int slot = 0;
  for (int i = 0; i < kSessions; ++i) {
    if (!g_sessions[i].Used) {
      slot = i;
      break;
    }
    if (g_sessions[i].Serial < g_sessions[slot].Serial) slot = i;
  }
  Session& s = g_sessions[slot];
  s = Session{};
  s.Used = true;
  s.Writing = writing;
  s.Handle = handle;
  s.Serial = g_nextSerial++;
  std::string text;
  if (ReadWholeFile(file->second, &text)) s.Ini.Parse(text);
  cursor->Words[0] = kCursorMark;
  cursor->Words[1] = static_cast<uint32_t>(slot);
  cursor->Words[2] = s.Serial;
  return 1;
}

Session* SessionOf(const ConfigCursor* cursor) {
  if (!cursor || cursor->Words[0] != kCursorMark || cursor->Words[1] >= kSessions) return nullptr;
  Session& s = g_sessions[cursor->Words[1]];
  return s.Used && s.Serial == cursor->Words[2] ? &s : nullptr;
}

bool Lookup(const char* key, const ConfigCursor* cursor, std::string* value) {
  Session* s = SessionOf(cursor);
  return s && key && s->Ini.Find(s->Section, key, value);
}

// Decimal with an optional sign; anything after the digits is ignored; out-of-range values
// saturate.
int ParseDecimal(const std::string& text) {
  errno = 0;
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int>(value);
}

int ParseBool(const std::string& text) {
  static const char* const on[] = {"true", "yes", "on"};
  for (const char* word : on)
    if (EqualNoCase(text, word)) return 1;
  return ParseDecimal(text) != 0 ? 1 : 0;
}

// "Face name,size,BIU,charset": fields by comma; a missing or malformed field reads as zero, the
// face name is cut to fit with its zero, and each style digit other than 0 sets its flag.
void ParseFont(const std::string& text, FontSpec* font) {
  std::string fields[4];
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    size_t comma = i < 3 ? text.find(',', start) : std::string::npos;
    fields[i] =
        Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  std::strncpy(font->FaceName, fields[0].c_str(), sizeof font->FaceName - 1);
  font->FaceName[sizeof font->FaceName - 1] = 0;
  font->Size = ParseDecimal(fields[1]);
  static const uint32_t flags[3] = {FontBold, FontItalic, FontUnderline};
  for (size_t i = 0; i < 3 && i < fields[2].size(); ++i)
    if (fields[2][i] >= '1' && fields[2][i] <= '9') font->Style |= flags[i];
  int charset = ParseDecimal(fields[3]);
  font->Charset = charset >= 0 && charset <= 255 ? charset : 0;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&g_traceLock);
  if (reason == DLL_PROCESS_DETACH) DeleteCriticalSection(&g_traceLock);
  return TRUE;
}

extern "C" {

// ---- trace and store control ----

void __stdcall DevTraceAppend(const char* line) { Trace(line ? line : ""); }

const char* __stdcall DevTraceText(void) { return g_trace.c_str(); }

void __stdcall DevTraceClear(void) {
  EnterCriticalSection(&g_traceLock);
  g_trace.clear();
  LeaveCriticalSection(&g_traceLock);
}

void __stdcall DevSetTracing(int on) { g_tracing = on != 0; }

void __stdcall DevTraceNameDC(HDC dc, int layer) {
  if (!dc) return;
  if (layer > 0)
    g_namedDCs[dc] = layer;
  else
    g_namedDCs.erase(dc);
}

int __stdcall DevLivePictures(void) { return static_cast<int>(g_pictureSources.size()); }

void __stdcall DevSetStoreFile(int settingsHandle, const char* iniPath) {
  if (iniPath && *iniPath)
    g_storeFiles[settingsHandle] = iniPath;
  else
    g_storeFiles.erase(settingsHandle);
}

// ---- settings services ----

int __stdcall OpenCFGr(int settingsHandle, ConfigCursor* cursor) {
  if (g_tracing) Trace(Call("OpenCFGr", Num(settingsHandle)));
  return OpenSession(settingsHandle, false, cursor);
}

int __stdcall OpenCFGw(int settingsHandle, ConfigCursor* cursor) {
  if (g_tracing) Trace(Call("OpenCFGw", Num(settingsHandle)));
  return OpenSession(settingsHandle, true, cursor);
}

int __stdcall FindSection(const char* section, int forWriting, ConfigCursor* cursor) {
  if (g_tracing) Trace(Call("FindSection", Args({QuoteText(section), Num(forWriting)})));
  Session* s = SessionOf(cursor);
  if (!s || !section) return 0;
  s->Section = section;
  return 1;
}

int __stdcall Scan(const char* key, ConfigCursor* cursor) {
  std::string value;
  int found = Lookup(key, cursor, &value) ? 1 : 0;
  if (g_tracing) Trace(Call("Scan", QuoteText(key), Num(found)));
  return found;
}

// The integer argument of the three readers means nothing to this host; it is traced only.
int __stdcall GetCFGInt(const char* key, int arg, ConfigCursor* cursor) {
  std::string text;
  int value = Lookup(key, cursor, &text) ? ParseDecimal(text) : 0;
  if (g_tracing) Trace(Call("GetCFGInt", Args({QuoteText(key), Num(arg)}), Num(value)));
  return value;
}

int __stdcall GetCFGHex(const char* key, int arg, ConfigCursor* cursor) {
  std::string text;
  uint32_t value = Lookup(key, cursor, &text) ? ParseHex(text) : 0;
  if (g_tracing) Trace(Call("GetCFGHex", Args({QuoteText(key), Num(arg)}), Hex(value)));
  return static_cast<int>(value);
}

int __stdcall GetCFGBool(const char* key, int arg, ConfigCursor* cursor) {
  std::string text;
  int value = Lookup(key, cursor, &text) ? ParseBool(text) : 0;
  if (g_tracing) Trace(Call("GetCFGBool", Args({QuoteText(key), Num(arg)}), Num(value)));
  return value;
}

int __stdcall GetCFGFont(const char* key, FontSpec* font, ConfigCursor* cursor) {
  std::string text;
  bool found = Lookup(key, cursor, &text);
  if (font) {
    std::memset(font, 0, sizeof *font);
    if (found) ParseFont(text, font);
  }
  std::string shown = font ? "{" +
                                 Args({QuoteText(font->FaceName), Num(font->Size), Hex(font->Style),
                                       Num(font->Charset)}) +
                                 "}"
                           : "0";
  if (g_tracing) Trace(Call("GetCFGFont", QuoteText(key), shown));
  return found ? 1 : 0;
}

int __stdcall GetCFGString(const char* key, const char* defaultText, char* buffer, int limit,
                           ConfigCursor* cursor) {
  std::string text;
  bool found = Lookup(key, cursor, &text);
  if (!found) text = defaultText ? defaultText : "";
  if (limit < 0) limit = 0;
  if (text.size() > static_cast<size_t>(limit)) text.resize(static_cast<size_t>(limit));
  if (buffer) std::memcpy(buffer, text.c_str(), text.size() + 1);
  if (g_tracing) Trace(Call("GetCFGString", Args({QuoteText(key), QuoteText(defaultText), Num(limit)}),
             buffer ? QuoteText(text.c_str()) : "0"));
  return found ? 1 : 0;
}

// Writes need a sequence opened with OpenCFGw; on a reading sequence they are ignored.
int __stdcall SetCFGInt(const char* key, int value, ConfigCursor* cursor) {
  if (g_tracing) Trace(Call("SetCFGInt", Args({QuoteText(key), Num(value)})));
  Session* s = SessionOf(cursor);
  if (!s || !s->Writing || !key) return 0;
  s->Ini.Set(s->Section, key, std::to_string(value));
  s->Dirty = true;
  return 1;
}

int __stdcall SetCFGString(const char* key, const char* value, ConfigCursor* cursor) {
  if (g_tracing) Trace(Call("SetCFGString", Args({QuoteText(key), QuoteText(value)})));
  Session* s = SessionOf(cursor);
  if (!s || !s->Writing || !key) return 0;
  s->Ini.Set(s->Section, key, value ? value : "");
  s->Dirty = true;
  return 1;
}

int __stdcall CloseCFGr(ConfigCursor* cursor) {
  if (g_tracing) Trace(Call("CloseCFGr", ""));
  Session* s = SessionOf(cursor);
  if (!s) return 0;
  *s = Session{};
  cursor->Words[0] = 0;
  return 1;
}

// The file named for the handle the sequence was opened with gets the writes; the handle argument
// is only traced.
int __stdcall CloseCFGw(int settingsHandle, int zero, ConfigCursor* cursor) {
  if (g_tracing) Trace(Call("CloseCFGw", Args({Num(settingsHandle), Num(zero)})));
  Session* s = SessionOf(cursor);
  if (!s) return 0;
  int ok = 1;
  if (s->Writing && s->Dirty) {
    auto file = g_storeFiles.find(s->Handle);
    ok = file != g_storeFiles.end() && WriteWholeFile(file->second, s->Ini.Text()) ? 1 : 0;
  }
  *s = Session{};
  cursor->Words[0] = 0;
  return ok;
}

// low wins when the bounds cross; the last argument has no meaning here. Returns the checked value.
int __stdcall CheckInt(int* value, int low, int high, int zero) {
  std::string before = value ? Num(*value) : "0";
  if (value) {
    if (*value > high) *value = high;
    if (*value < low) *value = low;
  }
  int result = value ? *value : 0;
  if (g_tracing) Trace(Call("CheckInt", Args({before, Num(low), Num(high), Num(zero)}), Num(result)));
  return result;
}

// ---- pictures ----

// A failed load leaves the record without a picture; a picture it already held is released first,
// so reloading into the same record cannot leak.
int __stdcall LoadImageEx(PictureRecord* picture) {
  int ok = 0;
  if (picture) {
    PixelImage old;
    if (PictureOf(picture, &old)) {
      g_pictureSources.erase(old.Bitmap);
      FreePixelImage(&old);
    }
    ClearPicture(picture);
    PixelImage image;
    if (LoadPixelImage(picture->FilePath, &image)) {
      StorePicture(picture, image);
      g_pictureSources[image.Bitmap] = picture->FilePath;
      ok = 1;
    }
  }
  if (g_tracing) Trace(Call("LoadImageEx", DescribePicture(picture), Num(ok)));
  return ok;
}

int __stdcall DrawPicture(int zero, HDC dc, int x, int y, PictureRecord* picture) {
  if (g_tracing) Trace(Call("DrawPicture",
             Args({Num(zero), DescribeDC(dc), Num(x), Num(y), DescribePicture(picture)})));
  PixelImage image;
  if (!PictureOf(picture, &image)) return 0;
  DrawPixelImage(image, dc, x, y);
  return 1;
}

int __stdcall FreePicture(PictureRecord* picture) {
  std::string shown = DescribePicture(picture);
  int released = 0;
  PixelImage image;
  if (PictureOf(picture, &image)) {
    g_pictureSources.erase(image.Bitmap);
    FreePixelImage(&image);
    released = 1;
  }
  if (picture) ClearPicture(picture);
  if (g_tracing) Trace(Call("FreePicture", shown, Num(released)));
  return released;
}

int __stdcall strcopy(char* destination, const char* source) {
  if (g_tracing) Trace(Call("strcopy", QuoteText(source)));
  if (!destination || !source) return 0;
  std::strcpy(destination, source);
  return 1;
}

}  // extern "C"
