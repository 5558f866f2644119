// The Edit menu's pixel commands on a loaded grey picture: the field moves of Pixel Adjust,
// Image Adjust against the copy kept at loading, and Save Edit writing the picture back; and
// the scroll bars' steps through the picture.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "base/command_ids.h"
#include "bitmap/dib.h"
#include "shell/edit_commands.h"
#include "shell/open_file.h"
#include "support/test_support.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
constexpr size_t kPixels = kInfoHeaderSize + 1024;  // where a grey picture's pixels start

struct EditSession : testing::SessionFixture {
  ImageState& s = session.state;
  // A picture as the loader leaves it, named U5DW0001; memory row r (bottom-up) holds scene(r, x).
  void Load(int width, int height, int (*scene)(int, int), uint16_t bits = 8) {
    s.loadedImage = NewPackedDib(width, height, bits);
    s.colourTableSize = bits == 8 ? 1024 : 0;
    for (int p = 0; p < width * height; ++p)
      (*s.loadedImage)[kInfoHeaderSize + s.colourTableSize + size_t(p)] = uint8_t(scene(p / width, p % width));
    s.imageHeaderCopy = *LoadInfoHeader(*s.loadedImage);
    s.imageAdjustOriginal = DuplicateBlock(s.loadedImage);
    s.pixelAdjustAvailable = true;
    s.currentFilePath = "U5DW0001";
    s.identification = {.fileWidth = 6, .fileHeight = uint16_t(height), .headerLength = 256};
  }
  void Send(int command) {
    int result = 0;
    EXPECT_TRUE(RunEditCommand(session, command, result) && result == 1) << command;
  }
};

TEST(PixelAdjust, MovesOneFieldAndShowsThePicture) {
  const auto scene = [](int r, int x) { return r == 0 ? 10 * (x + 1) : 50 + 20 * r + x; };
  struct Case { int command; int fromRow[8]; int shift; };
  // Line Up copies rows 2, 4, 6 into 0, 2, 4; 10 20 30 40 a pixel right is 10 10 20 30; row 6
  // never moves sideways.
  const Case cases[] = {{kCmdPixelLineUp, {2, 1, 4, 3, 6, 5, 6, 7}, 0}, {kCmdPixelLineDown, {0, 1, 0, 3, 2, 5, 4, 7}, 0},
                        {kCmdPixelLeft, {0, 1, 2, 3, 4, 5, 6, 7}, 1}, {kCmdPixelRight, {0, 1, 2, 3, 4, 5, 6, 7}, -1}};
  for (const Case& c : cases)
    for (int claimedHeight : {8, 30000}) {  // rows the block does not hold are left out
      EditSession f;
      f.Load(4, 8, scene);
      f.s.imageHeaderCopy.biHeight = claimedHeight;
      f.Send(c.command);
      for (int p = 0; p < 32; ++p) {
        const int r = p / 4, x = p % 4;
        EXPECT_EQ((*f.s.loadedImage)[kPixels + size_t(p)],
                  scene(c.fromRow[r], r % 2 == 0 && r < 6 ? std::clamp(x + c.shift, 0, 3) : x)) << c.command << " " << p;
      }
      EXPECT_TRUE(f.s.shownImage == f.s.loadedImage && f.platform.pictureChanges.size() == 1 &&
                  f.platform.maxCursorDepth == 1 && f.platform.cursorDepth == 0);
    }
}

TEST(EditCommands, DoNothingWhereTheMenuGreysThem) {
  // No picture; a colour set, even with the flag wrongly on; a grey picture after a quarter turn.
  for (int setup = 0; setup < 3; ++setup) {
    EditSession f;
    if (setup > 0) f.Load(8, 8, [](int r, int x) { return r * 8 + x; }, setup == 1 ? 24 : 8);
    f.s.pixelAdjustAvailable = setup < 2;
    const Block before = DuplicateBlock(f.s.loadedImage);
    for (int command = kCmdPixelLineUp, result = 0; command <= kCmdImageRight1; ++command)  // and others' between
      RunEditCommand(f.session, command, result);
    EXPECT_TRUE((!before || *before == *f.s.loadedImage) && f.platform.boxes.empty() &&
                f.platform.pictureChanges.empty() && fs::is_empty(f.dir.path()) && f.s.processing.imageAdjustOffset == 0)
        << setup;
  }
}

TEST(ImageAdjust, MovesThePictureAgainstItsLoadedCopyAndBack) {
  EditSession f;
  f.Load(40, 32, [](int r, int x) { return r * 7 + x; });  // 1280 bytes
  const Bytes loaded = *f.s.loadedImage;
  // Moves never take the offset above 0 nor past the start of the picture.
  const std::pair<int, int> steps[] = {{kCmdImageUpLine, 0}, {kCmdImageRight1, 0}, {kCmdImageRight10, 0},
      {kCmdImageDownLine, -1020}, {kCmdImageDownLine, -1020}, {kCmdImageLeft10, -1030}, {kCmdImageLeft1, -1031},
      {kCmdImageRight10, -1021}, {kCmdImageRight1, -1020}, {kCmdImageUpLine, 0}};
  for (const auto& [command, offset] : steps) {
    f.Send(command);
    EXPECT_EQ(f.s.processing.imageAdjustOffset, offset) << command;
    for (size_t p = 0; command == kCmdImageDownLine && p < 1280; ++p)  // the last line keeps its own
      ASSERT_EQ((*f.s.loadedImage)[kPixels + p], loaded[kPixels + (p < 260 ? p + 1020 : p)]) << p;
  }
  EXPECT_TRUE(*f.s.loadedImage == loaded && f.s.shownImage == f.s.loadedImage);
  EXPECT_EQ(f.platform.pictureChanges.size(), 6u);  // the four refused moves drew nothing
}

TEST(SaveEdit, WritesTheHeaderThenTheLinesTopFirstAndAFailureKeepsTheOldFile) {
  enum Obstacle { kNone, kCancel, kReadOnlyFolder, kFolderInTheWay };
  // The file's own header, or for TMSat names the copy the report keeps; none for a file that
  // had none, or its rows would read back shifted.
  const std::tuple<const char*, uint16_t, uint8_t, Obstacle> cases[] = {
      {"U5DW0001", 256, 0x11, kNone}, {"TM000001.IMI", 256, 0x22, kNone}, {"TM112345.IMI", 0, 0, kNone},
      {"U5DW0001", 256, 0, kCancel}, {"U5DW0001", 256, 0, kReadOnlyFolder}, {"U5DW0001", 256, 0, kFolderInTheWay}};
  for (const auto& [name, headerLength, headerByte, obstacle] : cases) {
    if (obstacle == kReadOnlyFolder && ::geteuid() == 0) continue;  // root writes there anyway
    EditSession f;
    f.Load(8, 4, [](int r, int x) { return 10 * r + x; });
    f.s.currentFilePath = name, f.s.identification.headerLength = headerLength;
    f.s.fileHeaderBuffer.fill(0x11), f.s.tmHeaderCopy.fill(0x22);
    const fs::path file = f.dir / name;
    if (obstacle == kFolderInTheWay) fs::create_directory(file);
    else testing::WriteBytes(file, Bytes(9, 0xEE));
    if (obstacle == kReadOnlyFolder) fs::permissions(f.dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    f.platform.boxAnswers = {obstacle == kCancel ? BoxAnswer::Cancel : BoxAnswer::Ok};
    f.Send(kCmdSaveEdit);
    fs::permissions(f.dir.path(), fs::perms::owner_all);
    Bytes expected = obstacle == kNone ? Bytes(headerLength, headerByte) : Bytes(9, 0xEE);
    for (int p = 0; obstacle == kNone && p < 4 * 6; ++p) expected.push_back(uint8_t(10 * (3 - p / 6) + p % 6));
    EXPECT_EQ(obstacle == kFolderInTheWay ? expected : testing::ReadBytes(file), expected) << name << obstacle;
    EXPECT_EQ(f.platform.boxes.at(0).caption, "Save Edited File");
    EXPECT_EQ(f.platform.BoxTexts().back(),
              obstacle < kReadOnlyFolder ? "Over-write existing file?" : "Can't open file U5DW0001");
    EXPECT_EQ(std::distance(fs::directory_iterator(f.dir.path()), fs::directory_iterator()), 1);  // no temporary left
  }
}

TEST(SaveEdit, AnInterlacedPictureReadsBackAsItWasSaved) {
  // Fields with a 355-byte gap, a header and left trim; fields with neither gap nor header.
  for (const auto& [name, headerLength] : {std::pair{"KBIN0042", 256}, std::pair{"U5E00001", 0}}) {
    EditSession f;
    Bytes file(size_t(headerLength), 0x33);
    for (size_t i = 0; i < 611 * 576; ++i) file.push_back(static_cast<uint8_t>(100 + (i / 611 + i % 611) % 8));
    testing::WriteBytes(f.dir / name, file);
    ASSERT_EQ(OpenFromOutside(f.session, f.dir / name), OpenResult::Shown) << name;
    const Bytes loaded = *f.s.loadedImage;
    f.Send(kCmdSaveEdit);
    EXPECT_EQ(fs::file_size(f.dir / name), file.size()) << name;  // header + N x L
    ASSERT_EQ(OpenFromOutside(f.session, f.dir / name), OpenResult::Shown) << name;
    EXPECT_EQ(*f.s.loadedImage, loaded) << name;
  }
}

}  // namespace
}  // namespace kestrel
