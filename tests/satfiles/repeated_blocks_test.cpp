// Removal of repeated 109-byte blocks from raw image files.

#include <gtest/gtest.h>

#include <filesystem>

#include "satfiles/repeated_blocks.h"
#include "test_support.h"

namespace kestrel {
namespace {

using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

Bytes Header() { return Bytes(108, 0x48); }

// Block number `id`: distinct, non-uniform content.
Bytes DistinctBlock(int id, size_t length = 109) {
  Bytes block(length);
  for (size_t i = 0; i < length; ++i) block[i] = static_cast<uint8_t>(size_t(id) * 31 + i * 7);
  return block;
}

Bytes Join(const std::vector<Bytes>& parts) {
  Bytes joined;
  for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

// A raw file made of the header and the given blocks.
Bytes RawFile(const std::vector<Bytes>& blocks) {
  std::vector<Bytes> parts{Header()};
  parts.insert(parts.end(), blocks.begin(), blocks.end());
  return Join(parts);
}

TEST(DropRepeatedBlocks, BlockRepeatingARecentOneIsDropped) {
  std::vector<Bytes> blocks;
  for (int i = 0; i < 8; ++i) blocks.push_back(DistinctBlock(i));
  blocks[5] = blocks[3];
  std::vector<Bytes> expected = blocks;
  expected.erase(expected.begin() + 5);
  EXPECT_EQ(DropRepeatedBlocks(RawFile(blocks)), RawFile(expected));
}

TEST(DropRepeatedBlocks, OnlyNineBlocksAreRemembered) {
  std::vector<Bytes> blocks;
  for (int i = 0; i < 12; ++i) blocks.push_back(DistinctBlock(i));
  blocks[11] = blocks[1];  // ten blocks later: kept
  EXPECT_EQ(DropRepeatedBlocks(RawFile(blocks)), RawFile(blocks));
  blocks[11] = DistinctBlock(11);
  blocks[10] = blocks[1];  // nine blocks later: dropped
  std::vector<Bytes> expected = blocks;
  expected.erase(expected.begin() + 10);
  EXPECT_EQ(DropRepeatedBlocks(RawFile(blocks)), RawFile(expected));
}

TEST(DropRepeatedBlocks, DroppedBlocksStayInTheHistory) {
  std::vector<Bytes> blocks;
  for (int i = 0; i < 14; ++i) blocks.push_back(DistinctBlock(i));
  blocks[4] = blocks[3];
  blocks[13] = blocks[3];  // ten after block 3, but nine after its dropped repeat
  std::vector<Bytes> expected = blocks;
  expected.erase(expected.begin() + 13);
  expected.erase(expected.begin() + 4);
  EXPECT_EQ(DropRepeatedBlocks(RawFile(blocks)), RawFile(expected));
}

TEST(DropRepeatedBlocks, UniformBlocksAreAlwaysKept) {
  const std::vector<Bytes> blocks{DistinctBlock(1), Bytes(109, 0x20), Bytes(109, 0x20),
                                  Bytes(109, 0x20), Bytes(109, 0)};
  EXPECT_EQ(DropRepeatedBlocks(RawFile(blocks)), RawFile(blocks));
}

TEST(DropRepeatedBlocks, ShortFinalBlockIsComparedOverItsOwnLength) {
  const Bytes previous = DistinctBlock(7);
  const Bytes tail(previous.begin(), previous.begin() + 50);
  EXPECT_EQ(DropRepeatedBlocks(RawFile({DistinctBlock(1), previous, tail})),
            RawFile({DistinctBlock(1), previous}));
  // A single byte counts as uniform.
  const Bytes lone{previous[0]};
  EXPECT_EQ(DropRepeatedBlocks(RawFile({previous, lone})), RawFile({previous, lone}));
  // The same bytes not at the start of an earlier block are no repeat.
  const Bytes middle(previous.begin() + 1, previous.begin() + 51);
  EXPECT_EQ(DropRepeatedBlocks(RawFile({previous, middle})), RawFile({previous, middle}));
}

TEST(DropRepeatedBlocks, HeaderAloneOrShorterIsCopied) {
  EXPECT_EQ(DropRepeatedBlocks(Bytes(50, 3)), Bytes(50, 3));
  EXPECT_EQ(DropRepeatedBlocks(Bytes{}), Bytes{});
  EXPECT_EQ(DropRepeatedBlocks(Header()), Header());
}

TEST(RemoveRepeatedBlocks, WritesTheCleanedCopyBesideTheRawFile) {
  ScratchDir dir;
  std::vector<Bytes> blocks{DistinctBlock(0), DistinctBlock(1), DistinctBlock(0)};
  WriteBytes(dir / "U5IW0001", RawFile(blocks));
  WriteBytes(dir / "U5IW0001.CCD", Bytes(5, 1));  // an old copy is replaced
  EXPECT_EQ(RemoveRepeatedBlocks(dir / "U5IW0001", dir / "U5IW0001.CCD"), CleanOutcome::Cleaned);
  EXPECT_EQ(ReadBytes(dir / "U5IW0001.CCD"), RawFile({DistinctBlock(0), DistinctBlock(1)}));
  EXPECT_EQ(ReadBytes(dir / "U5IW0001"), RawFile(blocks));
}

TEST(RemoveRepeatedBlocks, MissingSourceOrUnwritableDestinationMakesNoCopy) {
  ScratchDir dir;
  EXPECT_EQ(RemoveRepeatedBlocks(dir / "U5IW0001", dir / "U5IW0001.CCD"),
            CleanOutcome::SourceUnreadable);
  EXPECT_FALSE(std::filesystem::exists(dir / "U5IW0001.CCD"));
  std::filesystem::create_directory(dir / "U5IW0002");
  EXPECT_EQ(RemoveRepeatedBlocks(dir / "U5IW0002", dir / "OUT.CCD"),
            CleanOutcome::SourceUnreadable);
  WriteBytes(dir / "U5IW0003", RawFile({DistinctBlock(0)}));
  EXPECT_EQ(RemoveRepeatedBlocks(dir / "U5IW0003", dir / "NO-SUCH-DIR" / "U5IW0003.CCD"),
            CleanOutcome::DestinationUnwritable);
}

}  // namespace
}  // namespace kestrel
