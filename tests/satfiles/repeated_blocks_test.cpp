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

// A raw file made of the header and the given blocks.
Bytes RawFile(const std::vector<Bytes>& blocks) {
  Bytes joined = Header();
  for (const Bytes& block : blocks) joined.insert(joined.end(), block.begin(), block.end());
  return joined;
}

constexpr int kSpaces = -1, kZeros = -2;  // uniform blocks

Bytes BlockWithId(int id) {
  return id == kSpaces ? Bytes(109, 0x20) : id == kZeros ? Bytes(109, 0) : DistinctBlock(id);
}

TEST(DropRepeatedBlocks, RepeatsOfTheNineBlocksBeforeAreDropped) {
  struct Case {
    const char* why;
    std::vector<int> ids, kept;
  };
  const Case cases[] = {
      {"block 5 repeats block 3", {0, 1, 2, 3, 4, 3, 6, 7}, {0, 1, 2, 3, 4, 6, 7}},
      {"a repeat ten blocks later is kept", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1},
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1}},
      {"a repeat nine blocks later is dropped", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 11},
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11}},
      // Ten after block 3, but nine after its dropped repeat.
      {"dropped blocks stay in the history", {0, 1, 2, 3, 3, 5, 6, 7, 8, 9, 10, 11, 12, 3},
       {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12}},
      {"uniform blocks are always kept", {1, kSpaces, kSpaces, kSpaces, kZeros},
       {1, kSpaces, kSpaces, kSpaces, kZeros}}};
  for (const Case& c : cases) {
    std::vector<Bytes> blocks, kept;
    for (const int id : c.ids) blocks.push_back(BlockWithId(id));
    for (const int id : c.kept) kept.push_back(BlockWithId(id));
    EXPECT_EQ(DropRepeatedBlocks(RawFile(blocks)), RawFile(kept)) << c.why;
  }
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
  for (const Bytes& file : {Bytes(50, 3), Bytes{}, Header()}) EXPECT_EQ(DropRepeatedBlocks(file), file);
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
