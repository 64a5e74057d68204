// The host's settings and picture library, tremby.dll. Shared by the plug-in and the reference host.
// Every argument is one 32-bit word on the 32-bit product; every service returns int.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

extern "C" {

#pragma pack(push, 4)

// Carries one settings sequence from its open call to its close call. Owned by the caller, filled by
// the services; the plug-in never reads it.
struct ConfigCursor {
  uint32_t Words[9];
};

// Font style flags in FontSpec::Style; the stored font text gives them as three digits, bold first.
enum : uint32_t { FontBold = 0x100, FontItalic = 0x10, FontUnderline = 0x01 };

// A font as the settings store describes it.
struct FontSpec {
  char FaceName[32];  // zero-terminated
  int32_t Size;       // points
  uint32_t Style;     // FontBold | FontItalic | FontUnderline
  int32_t Charset;
  uint8_t Reserved[12];
};

// A picture loaded by the host. The caller zeroes it and points FilePath at a zero-terminated path
// before LoadImageEx; every other byte belongs to the services.
struct PictureRecord {
  uint32_t HostWords[7];
  const char* FilePath;
  uint32_t MoreHostWords[5];
};

#pragma pack(pop)

// The byte layouts are the 32-bit contract. The same headers also compile for x86-64 (the build in which
// the Windows tests run where 32-bit code cannot); there pointers widen, so only the 32-bit build pins
// the bytes.
static_assert(sizeof(ConfigCursor) == 36, "ConfigCursor is 36 bytes");
static_assert(sizeof(FontSpec) == 56, "FontSpec is 56 bytes");
static_assert(offsetof(FontSpec, Size) == 32 && offsetof(FontSpec, Style) == 36 &&
                  offsetof(FontSpec, Charset) == 40,
              "FontSpec fields");
static_assert(offsetof(PictureRecord, FilePath) == 28, "PictureRecord path at byte 28");
#if !defined(_WIN64)
static_assert(sizeof(PictureRecord) == 52, "PictureRecord is 52 bytes");
#endif

int __stdcall OpenCFGr(int settingsHandle, ConfigCursor* cursor);
int __stdcall OpenCFGw(int settingsHandle, ConfigCursor* cursor);
int __stdcall FindSection(const char* section, int forWriting, ConfigCursor* cursor);
// Non-zero when the key exists in the selected section.
int __stdcall Scan(const char* key, ConfigCursor* cursor);
int __stdcall GetCFGInt(const char* key, int arg, ConfigCursor* cursor);
// Hexadecimal text read as a number, red in the most significant byte.
int __stdcall GetCFGHex(const char* key, int arg, ConfigCursor* cursor);
int __stdcall GetCFGBool(const char* key, int arg, ConfigCursor* cursor);
int __stdcall GetCFGFont(const char* key, FontSpec* font, ConfigCursor* cursor);
// At most `limit` characters and a terminating zero in `buffer`.
int __stdcall GetCFGString(const char* key, const char* defaultText, char* buffer, int limit,
                           ConfigCursor* cursor);
int __stdcall SetCFGInt(const char* key, int value, ConfigCursor* cursor);
int __stdcall SetCFGString(const char* key, const char* value, ConfigCursor* cursor);
int __stdcall CloseCFGr(ConfigCursor* cursor);
int __stdcall CloseCFGw(int settingsHandle, int zero, ConfigCursor* cursor);
// Brings *value within low … high.
int __stdcall CheckInt(int* value, int low, int high, int zero);

int __stdcall LoadImageEx(PictureRecord* picture);
int __stdcall DrawPicture(int zero, HDC dc, int x, int y, PictureRecord* picture);
// Accepts an all-zero record.
int __stdcall FreePicture(PictureRecord* picture);
// Copies the text and its zero, without a limit.
int __stdcall strcopy(char* destination, const char* source);

}  // extern "C"
