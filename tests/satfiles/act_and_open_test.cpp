// The Preview ACT presets and the single-file open of the command line.

#include <gtest/gtest.h>

#include "bitmap/dib.h"
#include "satfiles/act_preview.h"
#include "satfiles/identification.h"
#include "satfiles/open_flows.h"
#include "test_support.h"

namespace kestrel {
namespace {

using testing::SessionFixture;
using testing::WriteBytes;

TEST(ActPresets, FillTheRecordAndKeepTheLastIdentificationsFlags) {
  struct Case {
    const char* name;
    uint16_t width, height, gap;
    bool interlaced, spike;
  };
  const Case cases[] = {{"uosat", 611, 576, 355, true, true},
                        {"kitsat", 611, 576, 355, true, true},
                        {"kbiw", 511, 502, 0, true, false},
                        {"tmsat", 1020, 1020, 0, false, false},
                        {"tm00", 611, 576, 0, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IdentificationRecord r = IdentifyByName("TM000100.IMI");
    r.storedWidth = 612;
    r.thumbnail = r.leftTrim = true;
    ApplyActPreset(r, *ActPresetNamed(c.name));
    EXPECT_EQ(r.fileWidth, c.width);
    EXPECT_EQ(r.fileHeight, c.height);
    EXPECT_EQ(r.fieldGap, c.gap);
    EXPECT_EQ(r.interlaced, c.interlaced);
    EXPECT_EQ(r.spikeFilter, c.spike);
    EXPECT_EQ(r.headerLength, 95);
    EXPECT_EQ(r.storedWidth, 0);
    EXPECT_FALSE(r.thumbnail || r.leftTrim);
    EXPECT_TRUE(r.autoExposure && r.wideAngleTmsat);
  }
  EXPECT_FALSE(ActPresetNamed("UOSAT"));
}

TEST(PreviewActDownload, LoadsAnySizedDownloadWithoutTheCorruptionMessageButNoBitmap) {
  SessionFixture f;
  Bytes download(95, 0x5A);
  for (size_t i = 0; i < 1020 * 1020 + 5000; ++i) download.push_back(static_cast<uint8_t>(40 + i % 50));
  WriteBytes(f.dir / "pass0001.act", download);
  f.session.state.currentFilePath = "pass0001.act";
  ASSERT_TRUE(PreviewActDownload(f.session, ActPreset::Tmsat));
  EXPECT_TRUE(f.platform.boxes.empty());
  const Block& dib = f.session.state.current.currentDib;
  EXPECT_EQ(LoadInfoHeader(*dib)->biWidth, 1020);
  EXPECT_EQ(LoadInfoHeader(*dib)->biHeight, 1020);
  EXPECT_EQ(dib->size(), 40 + 1024 + (1048576 / 4096 + 3) * 4096u);
  // Top row of the picture is the first body row.
  EXPECT_EQ((*dib)[40 + 1024 + 1019 * 1020 + 7], 40 + 7);
  EXPECT_TRUE(std::equal(download.begin(), download.begin() + 95,
                         f.session.state.fileHeaderBuffer.begin()));
  EXPECT_EQ(f.session.state.fileHeaderBuffer[95], 0);
  EXPECT_EQ(f.session.state.exposureLevel, 255 - f.session.state.imageAverage);
  EXPECT_TRUE(f.session.state.processing.singleImageShown);
  // Bitmap files are refused.
  WriteBytes(f.dir / "PICTURE.BMP", Bytes(2000, 1));
  f.session.state.currentFilePath = "picture.bmp";
  EXPECT_FALSE(PreviewActDownload(f.session, ActPreset::Uosat));
  EXPECT_EQ(f.platform.BoxTexts(), std::vector<std::string>{"This is a BMP file, Use Open Bmp"});
  EXPECT_EQ(f.platform.boxes[0].caption, "File Error");
}

TEST(OpenSingleSatelliteFile, RoutesAndRefusesByName) {
  struct Case {
    const char* name;
    OpenResult result;
    const char* text;
    const char* caption;
    bool onDisk = true;
  };
  const Case cases[] = {
      {"PICTURE.BMP", OpenResult::Failed, "This is a BMP file, Use Open Bmp", "File Error"},
      {"IM000123.ACT", OpenResult::Failed,
       "Unsupported from Command Line - Use File/Preview ACT", "Command Line Open"},
      {"TM4ACT01.IMI", OpenResult::Video, nullptr, nullptr},
      {"TM500001.IMI", OpenResult::Video, nullptr, nullptr},
      {"TM112345.IMC", OpenResult::CompressedImage, nullptr, nullptr},
      {"TM0D0042.IMW", OpenResult::InformationFile, nullptr, nullptr},
      {"P1C00123.CCD", OpenResult::Failed, nullptr, "CCD Error"},
      {"NOTHING1", OpenResult::Failed, "Invalid Parameters - Image cannot be processed",
       "CCD Image Error"},
      {"U5DW0001", OpenResult::Failed, "Can't open file U5DW0001", "Error", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SessionFixture f;
    if (c.onDisk) WriteBytes(f.dir / c.name, Bytes(3000, 9));
    f.session.state.currentFilePath = c.name;
    EXPECT_EQ(OpenSingleSatelliteFile(f.session), c.result);
    if (!c.caption) {
      EXPECT_TRUE(f.platform.boxes.empty());
      continue;
    }
    ASSERT_EQ(f.platform.boxes.size(), 1u);
    if (c.text) {
      EXPECT_EQ(f.platform.boxes[0].text, c.text);
    }
    EXPECT_EQ(f.platform.boxes[0].caption, c.caption);
  }
}

TEST(OpenSingleSatelliteFile, ShowsThePictureWithTheEnhancedExposureLevel) {
  SessionFixture f;
  Bytes file(256, 0);  // no size in the header
  file.resize(256 + 608 * 576, 60);
  WriteBytes(f.dir / "u5dw0001", file);
  f.session.state.currentFilePath = "u5dw0001";
  ASSERT_EQ(OpenSingleSatelliteFile(f.session), OpenResult::Shown);
  const ImageState& s = f.session.state;
  EXPECT_EQ(s.currentFilePath, "U5DW0001");
  EXPECT_EQ(s.current.currentDib, s.loadedImage);
  EXPECT_EQ(s.shownImage, s.loadedImage);
  EXPECT_TRUE(s.processing.singleImageShown);
  EXPECT_EQ(s.exposureLevel, 255 - s.imageAverage);
  EXPECT_EQ(f.platform.caption, "Kestrel (U5DW0001 608x576x8 RGB)");
  EXPECT_EQ(f.platform.cursorDepth, 0);
}

}  // namespace
}  // namespace kestrel
