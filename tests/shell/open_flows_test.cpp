// The ways a user opens files, driven through the dispatcher with the scripted Platform: a file
// named from outside, Open CCD's routes, a drop of several files, the command line, and the
// menus right after start-up.

#include <gtest/gtest.h>

#include "base/command_ids.h"
#include "bitmap/dib.h"
#include "shell/dispatch.h"
#include "shell/menu_table.h"
#include "shell/open_file.h"
#include "test_support.h"

namespace kestrel {
namespace {
using namespace kestrel::testing;

Bytes Camera(size_t width, size_t height, uint8_t value) { return Bytes(256 + width * height, value); }

struct DispatchedSession : SessionFixture {
  DispatchedSession() { AttachDispatcher(session); }
  uint16_t ShownBits() const {
    const auto& dib = session.state.current.currentDib;
    return dib ? LoadInfoHeader(*dib)->biBitCount : 0;
  }
};
struct OpenFlowTest : ::testing::Test, DispatchedSession {};

TEST_F(OpenFlowTest, OpenCcdRoutesByName) {
  // A raw download whose block 5 repeats block 3: cleaned into NAME.CCD, which is what loads.
  Bytes raw = Camera(611, 576, 90);
  raw[108 + 3 * 109] = raw[108 + 5 * 109] = 7;
  WriteBytes(dir / "U5IW0001", raw);
  for (char plane : {'1', '2', '3'}) WriteBytes(dir / (std::string("TM") + plane + "00001.IMI"), Bytes(1020 * 1020, 80));
  WriteBytes(dir / "TM500001.IMI", Bytes(3 * 144 * 144, 5));
  const struct { const char* chosen; int result; std::string box; uint16_t bits; } cases[] = {
      {"PICTURE.BMP", 0, "This is a BMP file, Use Open Bmp", 0},
      {"TM100001.IMC", 0, "This is a Compressed File, Use File, Decompress", 0},
      {"P1D00001", 0, "Unsupported File type", 0},
      {"U5IW0001", 1, "This Image remains corrupted\n    after being processed", 8},  // a block shorter
      {"TM100001.IMI", 1, "", 24}, {"TM500001.IMI", 1, "", 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen);
    platform.boxes.clear();
    platform.openAnswers = {FileChoice{(dir / c.chosen).string()}};
    EXPECT_EQ(DispatchCommand(session, kCmdOpenCcd), c.result);
    EXPECT_EQ(platform.openRequests.back().title, "Open CCD Image Files");
    // Without element sets the report can only say so; that box is not a route's.
    const bool routeBox = !platform.boxes.empty() && platform.boxes.front().caption != "Error";
    EXPECT_EQ(routeBox ? platform.boxes.front().text : "", c.box);
    EXPECT_EQ(ShownBits(), c.bits);
  }
  EXPECT_EQ(ReadBytes(dir / "U5IW0001"), raw);
  EXPECT_EQ(ReadBytes(dir / "U5IW0001.CCD").size(), raw.size() - 109);
  EXPECT_EQ(platform.pauses.size(), 3u * 3);  // three TM5 frames, three passes
  platform.openAnswers = {std::nullopt};
  EXPECT_EQ(DispatchCommand(session, kCmdOpenCcd), 0);
}

TEST_F(OpenFlowTest, ADropShowsEachPictureInTurnAndRefusalsEndIt) {
  for (const char* name : {"U5DW0001", "U5DW0002", "U5DW0003"}) WriteBytes(dir / name, Camera(608, 576, 100));
  OpenDroppedFiles(session, {dir / "U5DW0001", dir / "U5DW0002", dir / "U5DW0003"});
  EXPECT_EQ(session.state.currentFilePath, "U5DW0001");  // the first named stays on show
  EXPECT_EQ(platform.pauses, (std::vector<uint32_t>{5000, 5000}));
  EXPECT_EQ(ShownBits(), 8);
  const char* const act = "Unsupported Drag and Drop - Use File/Preview ACT";
  const struct { const char* name; const char* caption; const char* text; } refusals[] = {
      {"IM000123.ACT", "Drag and Drop", act}, {"TM4ACT01.IMI", "Drag and Drop", act},
      {"P1C00123.CCD", "CCD Error", ""}};
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.name);
    WriteBytes(dir / r.name, Camera(611, 576, 1));
    platform.boxes.clear(), platform.pauses.clear();
    OpenDroppedFiles(session, {dir / "U5DW0001", dir / r.name});
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].caption, r.caption);
    EXPECT_EQ(*r.text ? platform.boxes[0].text : "", r.text);  // "": the caption says enough
    EXPECT_TRUE(platform.pauses.empty());  // the first file was never opened
  }
  // The same video name on the command line plays.
  WriteBytes(dir / "TM4ACT01.IMI", Bytes(2 * (384 * 288 + 29000), 9));
  EXPECT_TRUE(CommandLineOpen(session, dir / "TM4ACT01.IMI"));
}

TEST_F(OpenFlowTest, SaveAsCompTakesSpectralPlanesOnlyFromOutside) {
  WriteBytes(dir / "TM112345.IMI", Bytes(1020 * 1020, 70));
  platform.openAnswers = {FileChoice{(dir / "TM112345.IMI").string()}};
  DispatchCommand(session, kCmdOpenCcd);  // alone: its siblings are missing
  platform.boxes.clear();
  DispatchCommand(session, kCmdSaveAsComp);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].caption, "Compression Information");
  EXPECT_FALSE(std::filesystem::exists(dir / "TM112345.IMC"));
  OpenDroppedFiles(session, {dir / "TM112345.IMI"});
  DispatchCommand(session, kCmdSaveAsComp);
  EXPECT_TRUE(std::filesystem::exists(dir / "TM112345.IMC"));
  EXPECT_EQ(session.state.currentFilePath, "TM112345.IMT");  // the thumbnail is on show
}

TEST_F(OpenFlowTest, MenusRightAfterStartUp) {
  ResetProcessingState(session);
  std::vector<int> greyed, checked;
  for (const MenuEntry& entry : MenuBar()) {
    const MenuItemState state = MenuItemStateFor(entry.command, session.state, false);
    if (entry.kind == MenuEntryKind::Item && !state.enabled) greyed.push_back(entry.command);
    if (entry.kind == MenuEntryKind::Item && state.checked) checked.push_back(entry.command);
  }
  EXPECT_EQ(greyed, (std::vector<int>{kCmdSaveBmp, kCmdPasteDib, kCmdCopy, kCmdExposureEnhanced,
      kCmdExposureLighten, kCmdExposureDarken, kCmdRotateClockwise, kCmdRotateAnticlockwise, kCmdPixelLineUp,
      kCmdPixelLineDown, kCmdPixelLeft, kCmdPixelRight, kCmdSaveEdit, kCmdImageDownLine, kCmdImageUpLine,
      kCmdImageLeft10, kCmdImageRight10, kCmdImageLeft1, kCmdImageRight1, kCmdSharpenPreview,
      kCmdSharpenDefault, kCmdSharpenHiDef, kCmdOriginalImage, kCmdZoomIn, kCmdZoomOut, kCmdFitToWindow,
      kCmdActualSize}));
  EXPECT_EQ(checked, (std::vector<int>{kCmdCompAveraged}));
  // A greyed accelerator does nothing; Where ? on a name without a capture time says nothing.
  EXPECT_EQ(DispatchAccelerator(session, kCmdCopy), 1);
  EXPECT_FALSE(platform.clipboard);
  session.state.currentFilePath = "U5DW0001";
  WriteBytes(dir / "U5DW0001", Camera(608, 576, 1));
  DispatchCommand(session, kCmdWhere);
  EXPECT_TRUE(platform.boxes.empty());
}

// Every command in every state, greyed or not, the way a stray accelerator or a test might send
// it: nothing may crash, hang or touch a file it was not asked to.
TEST_F(OpenFlowTest, EveryCommandInEveryStateDoesNothingHarmful) {
  std::vector<int> commands = {kCmdColourClockwise, kCmdColourAnticlockwise, kCmdColourDialogClosed,
                               kCmdDecompressTmsatSet, kCmdCommandLineOpen, kCmdNoCommand};
  for (int id = kCmdPlaneUp1; id <= kCmdColourRestore; ++id) commands.push_back(id);
  for (const MenuEntry& entry : MenuBar())
    if (entry.kind == MenuEntryKind::Item && entry.command != kCmdSaveEdit) commands.push_back(entry.command);
  const Bytes before = Camera(152, 144, 100);
  WriteBytes(dir / "U5TW0001", before);
  Bytes plane = Camera(64, 64, 80);  // small planes whose header gives their size, as decoded planes carry it
  for (size_t at : {251u, 253u}) StoreU16(plane.data() + at, 64);
  for (char digit : {'1', '2', '3'}) WriteBytes(dir / (std::string("TM") + digit + "00001.IMI"), plane);
  for (int state = 0; state < 4; ++state)
    for (int command : commands) {
      DispatchedSession g;
      std::filesystem::copy(dir.path(), g.dir.path(), std::filesystem::copy_options::recursive);
      if (state == 1 || state == 3) OpenFromOutside(g.session, g.dir / "U5TW0001");
      if (state == 2) OpenFromOutside(g.session, g.dir / "TM100001.IMI", true);
      if (state == 3) DispatchCommand(g.session, kCmdRotateClockwise);
      g.platform.boxAnswers.assign(8, BoxAnswer::Cancel);
      DispatchCommand(g.session, command);
      DispatchCommand(g.session, command, 1);
      EXPECT_EQ(ReadBytes(g.dir / "U5TW0001"), before) << "state " << state << ", command " << command;
    }
}

}  // namespace
}  // namespace kestrel
