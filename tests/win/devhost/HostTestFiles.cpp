#include "HostTestFiles.h"

#include <windows.h>
// After windows.h: GDI+ declarations use its COM types.
#include <gdiplus.h>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

TempFolder::TempFolder() {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  static int counter = 0;
  path_ = std::string(base) + "orv-devhost-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++counter) + "\\";
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path_ + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        DeleteFileA((path_ + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path_.c_str());
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& argb) {
  using namespace Gdiplus;
  using namespace Gdiplus::DllExports;
  ASSERT_EQ(argb.size(), static_cast<size_t>(width) * height);
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  ASSERT_EQ(GdiplusStartup(&token, &input, nullptr), Ok);
  GpBitmap* bitmap = nullptr;
  std::vector<uint32_t> copy = argb;
  ASSERT_EQ(GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                      reinterpret_cast<BYTE*>(copy.data()), &bitmap),
            Ok);
  const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
  std::wstring wide(path.begin(), path.end());
  Status saved = GdipSaveImageToFile(bitmap, wide.c_str(), &png, nullptr);
  GdipDisposeImage(bitmap);
  GdiplusShutdown(token);
  ASSERT_EQ(saved, Ok) << path;
}
