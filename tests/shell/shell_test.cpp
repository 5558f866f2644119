// Opening a file named from outside the program, and the scroll bars' steps.

#include <gtest/gtest.h>

#include "shell/open_file.h"
#include "shell/scrolling.h"
#include "support/test_support.h"

namespace kestrel {
namespace {

TEST(EnterFile, MakesTheFoldersDirectoryCurrentAndKeepsTheUpperCaseName) {
  testing::SessionFixture f;
  EnterFile(f.session, f.dir / "sub" / "u5iw0123.ccd");
  EXPECT_EQ(f.session.currentDirectory, f.dir / "sub");
  EXPECT_EQ(f.session.state.currentFilePath, "U5IW0123.CCD");
  EXPECT_EQ(f.session.state.selectedFileDirectory, (f.dir / "sub").string() + "/");
  // A bare name is taken from the working directory.
  EnterFile(f.session, "Picture.Bmp");
  EXPECT_EQ(f.session.currentDirectory, std::filesystem::current_path());
  EXPECT_EQ(f.session.state.currentFilePath, "PICTURE.BMP");
  // Bitmaps are known by their extension alone.
  for (const char* name : {"PICTURE.BMP", "picture.dib", "SCAN.Rle"}) EXPECT_TRUE(IsBitmapFileName(name)) << name;
  for (const char* name : {"U5IW0123.CCD", "BMP", "BMPFILE.IMI", "ARCHIVE.BMP.GZ"})
    EXPECT_FALSE(IsBitmapFileName(name)) << name;
}

TEST(Scrolling, LopsidedLineStepsAndPositionsInsideTheRange) {
  using enum ScrollRequest;
  struct Case { ScrollRequest request; int client, position, thumb, step, scrolledTo; };
  // On a 200-pixel client a line up moves 11 pixels, a line down 13; below 16 pixels a line
  // up does not move at all and a line down moves one. Positions stay in 0..100.
  const Case cases[] = {{LineUp, 200, 50, 0, -11, 39},  {LineDown, 200, 50, 0, 13, 63},
                        {PageDown, 200, 50, 0, 101, 100}, {PageUp, 200, 50, 0, -99, 0},
                        {LineUp, 15, 5, 0, 1, 6},        {LineUp, 16, 5, 0, 0, 5},
                        {LineDown, 15, 5, 0, 1, 6},      {LineDown, 200, 0, 0, 13, 13},
                        {Thumb, 200, 30, 75, 45, 75},    {Thumb, 200, 75, 30, -45, 30},
                        {Thumb, 200, 0, 500, 500, 100},  {Other, 200, 30, 75, 0, 30}};
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    EXPECT_EQ(ScrollStep(c.request, c.client, c.position, c.thumb), c.step);
    EXPECT_EQ(ScrolledPosition(c.request, c.client, c.position, c.thumb, 0, 100), c.scrolledTo);
  }
  EXPECT_EQ(ScrolledPosition(LineDown, 200, 0, 0, 0, 0), 0);  // a bar without range never moves
}

}  // namespace
}  // namespace kestrel
