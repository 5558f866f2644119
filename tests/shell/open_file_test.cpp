#include "shell/open_file.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace kestrel {
namespace {

TEST(EnterFile, MakesTheFoldersDirectoryCurrentAndKeepsTheUpperCaseName) {
  testing::SessionFixture f;
  EnterFile(f.session, f.dir / "sub" / "u5iw0123.ccd");
  EXPECT_EQ(f.session.currentDirectory, f.dir / "sub");
  EXPECT_EQ(f.session.state.currentFilePath, "U5IW0123.CCD");
  EXPECT_EQ(f.session.state.selectedFileDirectory, (f.dir / "sub").string() + "/");
}

TEST(EnterFile, BareNameIsTakenFromTheWorkingDirectory) {
  testing::SessionFixture f;
  EnterFile(f.session, "Picture.Bmp");
  EXPECT_EQ(f.session.currentDirectory, std::filesystem::current_path());
  EXPECT_EQ(f.session.state.currentFilePath, "PICTURE.BMP");
}

TEST(IsBitmapFileName, KnowsTheThreeBitmapExtensionsInAnyCase) {
  EXPECT_TRUE(IsBitmapFileName("PICTURE.BMP"));
  EXPECT_TRUE(IsBitmapFileName("picture.dib"));
  EXPECT_TRUE(IsBitmapFileName("SCAN.Rle"));
  EXPECT_FALSE(IsBitmapFileName("U5IW0123.CCD"));
  EXPECT_FALSE(IsBitmapFileName("BMP"));
  EXPECT_FALSE(IsBitmapFileName("BMPFILE.IMI"));
  EXPECT_FALSE(IsBitmapFileName("ARCHIVE.BMP.GZ"));
}

}  // namespace
}  // namespace kestrel
