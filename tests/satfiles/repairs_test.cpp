// The repairs of raw camera files: removal of repeated 109-byte blocks, split detection and
// compensation, and seam smoothing.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "satfiles/brightness.h"
#include "satfiles/repeated_blocks.h"
#include "test_support.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

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

struct Canvas {
  uint32_t width, height;
  Bytes pixels;
  Bytes table = Bytes(1024, 0);
  Canvas(uint32_t w, uint32_t h, uint8_t value) : width(w), height(h), pixels(size_t{w} * h, value) {}
  uint8_t* Row(uint32_t m) { return pixels.data() + size_t{m} * width; }
  void FillRows(uint32_t from, uint32_t to, uint8_t value) { std::fill(Row(from), Row(to), value); }
  BrightnessOutcome Analyse(const char* name) {
    return AnalyseAndCorrectBrightness(pixels, table, width, height, name, false);
  }
};

TEST(SplitDetection, OnlyTheFirstJumpAwayFromTheEdgesIsASplitAndKitsatsIsFiner) {
  using Bands = std::vector<std::tuple<uint32_t, uint32_t, uint8_t>>;  // rows [from, to) := value
  struct Case {
    const char* name;
    uint32_t width, height;
    Bands bands;
    std::optional<uint32_t> split;
  };
  // A jump of 5 x 1000 = 5000 lies between the KITSAT threshold and the others'.
  const Case cases[] = {
      {"U5IW0001", 2048, 100, {{10, 100, 80}}, {}}, {"U5IW0001", 2048, 100, {{20, 100, 80}}, {}},
      {"U5IW0001", 2048, 100, {{80, 100, 80}}, {}}, {"U5IW0001", 2048, 100, {{21, 22, 80}}, 21},
      {"U5IW0001", 2048, 200, {{60, 120, 80}, {120, 200, 30}}, 60},
      {"KAIW0001", 1000, 100, {{50, 100, 55}}, 50}, {"XXKB0001", 1000, 100, {{50, 100, 55}}, 50},
      {"U5IW0001", 1000, 100, {{50, 100, 55}}, {}}};
  for (const Case& c : cases) {
    Canvas canvas(c.width, c.height, 50);
    for (const auto& [from, to, value] : c.bands) canvas.FillRows(from, to, value);
    EXPECT_EQ(canvas.Analyse(c.name).splitRow, c.split) << &c - cases;
  }
}

TEST(SplitCompensation, MovesThePartAfterTheSplitByTheWorkedAmountUnlessTheStepIsLarge) {
  // 576 rows of 1000 bytes: rows 0..299 are 91, rows 300..575 are 112 but every fifth column
  // 111. The mean 58156800 / 576000 = 100.97 and the after-mean 111.8 both round down; the
  // adjustment is (11 x 300) div 576 = 5.
  Canvas c(1000, 576, 91);
  c.FillRows(300, 576, 112);
  for (uint32_t m = 300; m < 576; ++m) for (uint32_t x = 0; x < 1000; x += 5) c.Row(m)[x] = 111;
  const Bytes before = c.pixels;
  const BrightnessOutcome o = c.Analyse("KAIW0001");
  ASSERT_EQ(o.splitRow, 300u);
  EXPECT_EQ(o.imageAverage, 100u);
  EXPECT_EQ(o.afterSplitMean, 111u);
  for (uint32_t m = 304; m < 576; ++m)
    for (uint32_t x = 0; x < 1000; x += 17) ASSERT_EQ(c.Row(m)[x], x % 5 ? 107 : 106) << m;
  // Below the smoothed rows nothing changed; the seam rows lie between their neighbours.
  EXPECT_TRUE(std::equal(c.pixels.begin(), c.pixels.begin() + 294 * 1000, before.begin()));
  for (uint32_t m = 300; m < 304; ++m) EXPECT_LE(c.Row(m)[0], 106);

  // A darker part is raised, clamping at 255.
  Canvas dark(1000, 100, 250);
  dark.FillRows(50, 100, 240);
  dark.Row(99)[0] = 255;
  ASSERT_EQ(dark.Analyse("KAIW0001").splitRow, 50u);
  // Mean 245, after-mean 240: (5 x 50) div 100 = 2.
  EXPECT_EQ(dark.Row(80)[1], 242);
  EXPECT_EQ(dark.Row(99)[0], 255);

  // A large difference stays.
  Canvas large(1000, 100, 20);
  large.FillRows(50, 100, 120);
  ASSERT_EQ(large.Analyse("U5IW0001").splitRow, 50u);
  EXPECT_EQ(large.Row(60)[0], 120);
  // Only the seam is smoothed: rows 50..53 rise by 20 from row 49 (20) to row 54 (120).
  EXPECT_EQ(large.Row(50)[0], 40);
  EXPECT_EQ(large.Row(53)[0], 100);
}

TEST(SmoothSeam, WorkedColumns) {
  struct Case {
    const char* why;
    Bytes rows;
    uint16_t columns;
    Bytes expected;
  };
  const Case cases[] = {
      {"falling column steps by (100 - 42) / 5", {100, 7, 7, 7, 7, 42}, 1, {100, 89, 78, 67, 56, 42}},
      {"falling values not above their step number become black", {5, 9, 9, 9, 9, 0}, 1, {5, 4, 3, 0, 0, 0}},
      {"rising column steps by (108 - 50) / 5", {50, 0, 0, 0, 0, 108}, 1, {50, 61, 72, 83, 94, 108}},
      {"rising column stops at its row limits", {240, 0, 0, 0, 0, 255}, 1, {240, 243, 246, 249, 255, 255}},
      // m = 203 / 2 = 101: 0, 50, 75, 88, 94, 97, 99, 100, 100, 100, 100;
      // from 200: 150, 125, 113, 107, 104, 102, 101, 101, 101, 101.
      {"flat column moves halfway toward the mean ten times", {100, 0, 0, 200, 101, 103}, 1,
       {100, 100, 100, 101, 101, 103}},
      {"column by column: falling, then rising", {100, 50, 0, 0, 0, 0, 0, 0, 0, 0, 50, 100}, 2,
       {100, 50, 90, 60, 80, 70, 70, 80, 60, 90, 50, 100}}};
  for (Case c : cases) {
    SmoothSeam(c.rows, 1, c.columns);
    EXPECT_EQ(c.rows, c.expected) << c.why;
  }
  // Too few rows for the seam: nothing is touched.
  Bytes tooShort(10, 9);
  SmoothSeam(tooShort, 1, 2);
  SmoothSeam(tooShort, 0, 1);
  EXPECT_EQ(tooShort, Bytes(10, 9));
}

}  // namespace
}  // namespace kestrel
