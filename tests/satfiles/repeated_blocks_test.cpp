// Removal of repeated 109-byte blocks from raw image files.

#include <gtest/gtest.h>

#include <filesystem>

#include "satfiles/repeated_blocks.h"
#include "test_support.h"

namespace kestrel {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

constexpr int kSpaces = -1, kZeros = -2;  // uniform blocks

// Block `id` (distinct, non-uniform content) or a uniform block, cut to `length`.
Bytes Block109(int id, size_t length = 109) {
  Bytes block(length, id == kSpaces ? 0x20 : 0);
  if (id >= 0)
    for (size_t i = 0; i < length; ++i) block[i] = static_cast<uint8_t>(size_t(id) * 31 + i * 7);
  return block;
}

// A raw file: the 108-byte header, then the blocks.
Bytes RawFile(const std::vector<Bytes>& blocks) {
  Bytes joined(108, 0x48);
  for (const Bytes& block : blocks) joined.insert(joined.end(), block.begin(), block.end());
  return joined;
}

// The raw file of the blocks with these ids.
Bytes RawFileOf(const std::vector<int>& ids) {
  std::vector<Bytes> blocks;
  for (const int id : ids) blocks.push_back(Block109(id));
  return RawFile(blocks);
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
  for (const Case& c : cases) EXPECT_EQ(DropRepeatedBlocks(RawFileOf(c.ids)), RawFileOf(c.kept)) << c.why;

  // A short final block is compared over its own length; a single byte counts as uniform; the
  // same bytes not at the start of an earlier block are no repeat.
  const Bytes previous = Block109(7), tail = Block109(7, 50), lone{previous[0]};
  const Bytes middle(previous.begin() + 1, previous.begin() + 51);
  EXPECT_EQ(DropRepeatedBlocks(RawFile({Block109(1), previous, tail})), RawFile({Block109(1), previous}));
  for (const Bytes& last : {lone, middle})
    EXPECT_EQ(DropRepeatedBlocks(RawFile({previous, last})), RawFile({previous, last}));
  // A header alone, or less, is copied.
  for (const Bytes& file : {Bytes(50, 3), Bytes{}, RawFileOf({})})
    EXPECT_EQ(DropRepeatedBlocks(file), file);
}

TEST(RemoveRepeatedBlocks, ReplacesAnOldCopyOrWritesNothing) {
  testing::ScratchDir dir;
  WriteBytes(dir / "U5IW0001", RawFileOf({0, 1, 0}));
  WriteBytes(dir / "U5IW0001.CCD", Bytes(5, 1));
  EXPECT_EQ(RemoveRepeatedBlocks(dir / "U5IW0001", dir / "U5IW0001.CCD"), CleanOutcome::Cleaned);
  EXPECT_EQ(ReadBytes(dir / "U5IW0001.CCD"), RawFileOf({0, 1}));
  EXPECT_EQ(ReadBytes(dir / "U5IW0001"), RawFileOf({0, 1, 0}));
  std::filesystem::create_directory(dir / "U5IW0003");
  EXPECT_EQ(RemoveRepeatedBlocks(dir / "U5IW0003", dir / "OUT.CCD"), CleanOutcome::SourceUnreadable);
  EXPECT_FALSE(std::filesystem::exists(dir / "OUT.CCD"));
  EXPECT_EQ(RemoveRepeatedBlocks(dir / "U5IW0001", dir / "NO-SUCH-DIR" / "U5IW0001.CCD"),
            CleanOutcome::DestinationUnwritable);
}

}  // namespace
}  // namespace kestrel
