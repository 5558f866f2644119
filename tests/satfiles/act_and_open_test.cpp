// The Preview ACT presets and the single-file open of the command line.

#include <gtest/gtest.h>

#include "bitmap/dib.h"
#include "satfiles/act_preview.h"
#include "satfiles/identification.h"
#include "satfiles/open_flows.h"
#include "test_support.h"

namespace kestrel {
namespace {

using testing::WriteBytes;

struct Open : ::testing::Test, testing::SessionFixture {
  void Write(const std::string& name, const Bytes& file) {
    WriteBytes(dir / name, file);
    session.state.currentFilePath = name;
  }
};

TEST(ActPreset, ReplacesTheLayoutButKeepsTheExposureAndWideAngleFlags) {
  IdentificationRecord r = IdentifyByName("TM000100.IMI");
  r.storedWidth = 612;
  r.thumbnail = r.leftTrim = true;
  ApplyActPreset(r, ActPresetNamed("kbiw").value());
  EXPECT_EQ((std::tuple(r.fileWidth, r.fileHeight, r.fieldGap, r.headerLength, r.storedWidth)),
            (std::tuple(511, 502, 0, 95, 0)));
  EXPECT_EQ((std::tuple(r.interlaced, r.spikeFilter, r.thumbnail, r.leftTrim)), std::tuple(true, false, false, false));
  EXPECT_TRUE(r.autoExposure && r.wideAngleTmsat);
  EXPECT_FALSE(ActPresetNamed("UOSAT"));
}

TEST_F(Open, PreviewActDownloadLoadsAnySizedDownloadWithoutTheCorruptionMessageButNoBitmap) {
  Bytes download(95, 0x5A);
  for (size_t i = 0; i < 1020 * 1020 + 5000; ++i) download.push_back(static_cast<uint8_t>(40 + i % 50));
  Write("pass0001.act", download);
  ASSERT_TRUE(PreviewActDownload(session, ActPreset::Tmsat));
  EXPECT_TRUE(platform.boxes.empty());
  const ImageState& s = session.state;
  const Bytes& dib = *s.current.currentDib;
  EXPECT_EQ(std::pair(LoadInfoHeader(dib)->biWidth, LoadInfoHeader(dib)->biHeight), std::pair(1020, 1020));
  EXPECT_EQ(dib.size(), 40 + 1024 + (1048576 / 4096 + 3) * 4096u);
  // Top row of the picture is the first body row.
  EXPECT_EQ(dib[40 + 1024 + 1019 * 1020 + 7], 40 + 7);
  EXPECT_TRUE(std::equal(download.begin(), download.begin() + 95, s.fileHeaderBuffer.begin()));
  EXPECT_EQ(s.fileHeaderBuffer[95], 0);
  EXPECT_EQ(s.exposureLevel, 255 - s.imageAverage);
  EXPECT_TRUE(s.processing.singleImageShown);
  // Bitmap files are refused.
  Write("PICTURE.BMP", Bytes(2000, 1));
  EXPECT_FALSE(PreviewActDownload(session, ActPreset::Uosat));
  EXPECT_EQ(platform.BoxTexts(), std::vector<std::string>{"This is a BMP file, Use Open Bmp"});
  EXPECT_EQ(platform.boxes[0].caption, "File Error");
}

TEST_F(Open, SingleSatelliteFileRoutesAndRefusesByName) {
  struct Case {
    const char* name;
    OpenResult result;
    const char* caption = nullptr;  // of the one box shown, if any
    const char* text = nullptr;
  };
  const Case cases[] = {
      {"PICTURE.BMP", OpenResult::Failed, "File Error", "This is a BMP file, Use Open Bmp"},
      {"IM000123.ACT", OpenResult::Failed, "Command Line Open",
       "Unsupported from Command Line - Use File/Preview ACT"},
      {"TM4ACT01.IMI", OpenResult::Video},           {"TM500001.IMI", OpenResult::Video},
      {"TM112345.IMC", OpenResult::CompressedImage}, {"TM0D0042.IMW", OpenResult::InformationFile},
      {"P1C00123.CCD", OpenResult::Failed, "CCD Error",
       "           This is a UoS Compressed File\nYou must select the associated Thumb(T) File\n"
       "    to launch and decompress the Image File"},
      {"NOTHING1", OpenResult::Failed, "CCD Image Error", "Invalid Parameters - Image cannot be processed"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform.boxes.clear();
    Write(c.name, Bytes(3000, 9));
    EXPECT_EQ(OpenSingleSatelliteFile(session), c.result);
    ASSERT_EQ(platform.boxes.size(), c.caption ? 1u : 0u);
    if (!c.caption) continue;
    EXPECT_EQ(std::tie(platform.boxes[0].caption, platform.boxes[0].text), std::tuple(c.caption, c.text));
  }
}

TEST_F(Open, SingleSatelliteFileShowsThePictureWithTheEnhancedExposureLevel) {
  Bytes file(256, 0);  // no size in the header
  file.resize(256 + 608 * 576, 60);
  Write("u5dw0001", file);
  ASSERT_EQ(OpenSingleSatelliteFile(session), OpenResult::Shown);
  const ImageState& s = session.state;
  EXPECT_EQ(s.currentFilePath, "U5DW0001");
  EXPECT_TRUE(s.current.currentDib == s.loadedImage && s.shownImage == s.loadedImage && s.processing.singleImageShown);
  EXPECT_EQ(s.exposureLevel, 255 - s.imageAverage);
  EXPECT_EQ(platform.cursorDepth, 0);
}

}  // namespace
}  // namespace kestrel
