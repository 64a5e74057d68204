// Picture services of tremby.dll: a PNG written by the test is loaded through GDI+ and drawn with
// its per-pixel alpha; failed loads and releases of empty records are harmless.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "DevHostControl.h"
#include "support/TestEnv.h"
#include "host/drawpng.h"

namespace {

// A 32-bit top-down DIB selected into a memory DC, filled with one premultiplied BGRA value.
class Canvas {
 public:
  Canvas(int width, int height, uint32_t fill) : width_(width) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i) bits_[i] = fill;
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  HDC DC() const { return dc_; }
  uint32_t At(int x, int y) const {
    GdiFlush();
    return bits_[y * width_ + x];
  }

 private:
  int width_;
  HBITMAP bitmap_;
  uint32_t* bits_;
  HDC dc_;
  HGDIOBJ old_;
};

// Each channel within one step of the expected one (GDI+ and AlphaBlend round differently).
::testing::AssertionResult NearPixel(uint32_t actual, uint32_t expected) {
  for (int shift = 0; shift < 32; shift += 8) {
    int a = static_cast<int>((actual >> shift) & 255),
        e = static_cast<int>((expected >> shift) & 255);
    if (std::abs(a - e) > 1)
      return ::testing::AssertionFailure()
             << std::hex << "0x" << actual << " is not near 0x" << expected;
  }
  return ::testing::AssertionSuccess();
}

class Pictures : public ::testing::Test {
 protected:
  void SetUp() override {
    // Opaque red, half-transparent blue, fully transparent.
    path_ = folder_.File("three.png");
    WritePng(path_, 3, 1, {0xFFFF0000u, 0x800000FFu, 0x00000000u});
  }
  PictureRecord Record(const char* path) {
    PictureRecord record;
    std::memset(&record, 0, sizeof record);
    record.FilePath = path;
    return record;
  }

  ScratchDir folder_;
  std::string path_;
};

TEST_F(Pictures, DrawsWithPerPixelAlpha) {
  PictureRecord record = Record(path_.c_str());
  ASSERT_EQ(LoadImageEx(&record), 1);
  EXPECT_EQ(record.FilePath, path_.c_str()) << "the path field stays the caller's";

  struct Case {
    const char* name;
    uint32_t background;
    uint32_t red, blue, clear;
  } cases[] = {
      // On a transparent layer the result is premultiplied: half blue is 0x80 blue at alpha 0x80.
      {"transparent", 0x00000000u, 0xFFFF0000u, 0x80000080u, 0x00000000u},
      {"opaque white", 0xFFFFFFFFu, 0xFFFF0000u, 0xFF7F7FFFu, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(5, 3, c.background);
    DrawPicture(0, canvas.DC(), 1, 1, &record);
    EXPECT_TRUE(NearPixel(canvas.At(1, 1), c.red));
    EXPECT_TRUE(NearPixel(canvas.At(2, 1), c.blue));
    EXPECT_TRUE(NearPixel(canvas.At(3, 1), c.clear));
    EXPECT_EQ(canvas.At(0, 0), c.background) << "nothing outside the picture";
    EXPECT_EQ(canvas.At(4, 1), c.background);
  }
  EXPECT_EQ(FreePicture(&record), 1);
}

TEST_F(Pictures, MissingFileLeavesNoPicture) {
  std::string missing = folder_.File("missing.png");
  PictureRecord record = Record(missing.c_str());
  EXPECT_EQ(LoadImageEx(&record), 0);
  Canvas canvas(2, 2, 0xFF102030u);
  DrawPicture(0, canvas.DC(), 0, 0, &record);
  EXPECT_EQ(canvas.At(0, 0), 0xFF102030u);
  EXPECT_EQ(FreePicture(&record), 0);

  // A file that is not a picture fails the same way.
  std::string text = folder_.File("not.png");
  WriteFileBytes(text, "not a picture");
  PictureRecord other = Record(text.c_str());
  EXPECT_EQ(LoadImageEx(&other), 0);
  EXPECT_EQ(FreePicture(&other), 0);
}

// Every load is matched by one release, however the record is reused.
TEST_F(Pictures, LivePicturesCountLoadsNotYetReleased) {
  int before = DevLivePictures();
  PictureRecord record = Record(path_.c_str());
  ASSERT_EQ(LoadImageEx(&record), 1);
  EXPECT_EQ(DevLivePictures(), before + 1);
  ASSERT_EQ(LoadImageEx(&record), 1);
  EXPECT_EQ(DevLivePictures(), before + 1) << "a reload into the same record replaces the picture";
  std::string missing = folder_.File("missing.png");
  PictureRecord failed = Record(missing.c_str());
  LoadImageEx(&failed);
  EXPECT_EQ(DevLivePictures(), before + 1);
  FreePicture(&record);
  FreePicture(&record);
  EXPECT_EQ(DevLivePictures(), before);
}

TEST_F(Pictures, FreeAcceptsEmptyAndReleasedRecords) {
  PictureRecord zero;
  std::memset(&zero, 0, sizeof zero);
  EXPECT_EQ(FreePicture(&zero), 0);
  EXPECT_EQ(FreePicture(nullptr), 0);

  PictureRecord record = Record(path_.c_str());
  ASSERT_EQ(LoadImageEx(&record), 1);
  EXPECT_EQ(FreePicture(&record), 1);
  EXPECT_EQ(FreePicture(&record), 0) << "a second release finds nothing";
  Canvas canvas(3, 1, 0);
  DrawPicture(0, canvas.DC(), 0, 0, &record);
  EXPECT_EQ(canvas.At(0, 0), 0u) << "a released record draws nothing";
}

// The plug-in clears the path after loading; the trace still names the picture by its file.
TEST_F(Pictures, TraceNamesThePictureByItsFile) {
  PictureRecord record = Record(path_.c_str());
  DevTraceClear();
  LoadImageEx(&record);
  record.FilePath = nullptr;
  Canvas canvas(3, 1, 0);
  DrawPicture(0, canvas.DC(), 4, 5, &record);
  FreePicture(&record);
  FreePicture(&record);
  std::string q = "\"" + path_ + "\"";
  EXPECT_EQ(std::string(DevTraceText()), "LoadImageEx(" + q +
                                             ") = 1\n"
                                             "DrawPicture(0, dc, 4, 5, " +
                                             q +
                                             ")\n"
                                             "FreePicture(" +
                                             q +
                                             ") = 1\n"
                                             "FreePicture(empty) = 0\n");
}

}  // namespace
