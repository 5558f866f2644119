// Automatic exposure, split detection and compensation, and seam smoothing.

#include <gtest/gtest.h>

#include "base/block.h"
#include "satfiles/brightness.h"

namespace kestrel {
namespace {

struct Canvas {
  uint32_t width, height;
  Bytes pixels;
  Bytes table = Bytes(1024, 0);
  Canvas(uint32_t w, uint32_t h, uint8_t value) : width(w), height(h), pixels(size_t{w} * h, value) {}
  uint8_t* Row(uint32_t m) { return pixels.data() + size_t{m} * width; }
  void FillRow(uint32_t m, uint8_t value) { std::fill_n(Row(m), width, value); }
  BrightnessOutcome Analyse(const char* name, bool autoExposure) {
    return AnalyseAndCorrectBrightness(pixels, table, width, height, name, autoExposure);
  }
};

TEST(AutomaticExposure, MeanOf100ShiftsTheTableBy27) {
  Canvas c(64, 64, 100);
  const BrightnessOutcome o = c.Analyse("U5IW0001", true);
  EXPECT_EQ(o.imageAverage, 100u);
  EXPECT_EQ(o.exposureShift, 27);
  EXPECT_EQ(Bytes(c.table.begin(), c.table.begin() + 4), (Bytes{27, 27, 27, 0}));
  EXPECT_EQ(c.table[4 * 227], 254);
  for (int i = 228; i < 256; ++i) EXPECT_EQ(c.table[4 * size_t(i)], 255) << i;
}

TEST(AutomaticExposure, BrightPictureDarkensTheTableAndMidGreyOrSwitchedOffLeavesIt) {
  Canvas bright(64, 64, 200);
  EXPECT_EQ(bright.Analyse("U5IW0001", true).exposureShift, 73);
  EXPECT_EQ(bright.table[4 * 73], 0);
  EXPECT_EQ(bright.table[4 * 74], 1);
  EXPECT_EQ(bright.table[4 * 255 + 1], 182);
  for (const auto& [value, on] : {std::pair<uint8_t, bool>{127, true}, {30, false}}) {
    Canvas c(64, 64, value);
    EXPECT_EQ(c.Analyse("U5IW0001", on).exposureShift, 0) << int(value);
    EXPECT_EQ(c.table, Bytes(1024, 0)) << int(value);
  }
}

TEST(SplitDetection, OnlyTheFirstJumpAwayFromTheEdgesIsASplit) {
  for (const uint32_t row : {10u, 20u, 80u}) {
    Canvas c(2048, 100, 50);
    for (uint32_t m = row; m < 100; ++m) c.FillRow(m, 80);
    EXPECT_FALSE(c.Analyse("U5IW0001", false).splitRow) << row;
  }
  Canvas one(2048, 100, 50);
  one.FillRow(21, 80);
  EXPECT_EQ(one.Analyse("U5IW0001", false).splitRow, 21u);
  Canvas two(2048, 200, 50);
  for (uint32_t m = 60; m < 200; ++m) two.FillRow(m, m < 120 ? 80 : 30);
  EXPECT_EQ(two.Analyse("U5IW0001", false).splitRow, 60u);
}

TEST(SplitDetection, KitsatNamesUseTheFinerThreshold) {
  // A jump of 5 x 1000 = 5000 lies between the two thresholds.
  for (const char* name : {"KAIW0001", "XXKB0001", "U5IW0001"}) {
    Canvas c(1000, 100, 50);
    for (uint32_t m = 50; m < 100; ++m) c.FillRow(m, 55);
    const bool kitsat = name[0] == 'K' || name[2] == 'K';
    EXPECT_EQ(c.Analyse(name, false).splitRow.has_value(), kitsat) << name;
  }
}

TEST(SplitCompensation, LowersTheBrighterPartByTheWorkedAmount) {
  // 576 rows of 1000 bytes: rows 0..299 average 90.8, rows 300..575 are 110, so the mean is
  // exactly 100 and the after-mean 110; the adjustment is (10 x 300) div 576 = 5.
  Canvas c(1000, 576, 0);
  for (uint32_t m = 0; m < 300; ++m) {
    std::fill_n(c.Row(m), 800, 91);
    std::fill_n(c.Row(m) + 800, 200, 90);
  }
  for (uint32_t m = 300; m < 576; ++m) c.FillRow(m, 110);
  const Bytes before = c.pixels;
  const BrightnessOutcome o = c.Analyse("KAIW0001", false);
  ASSERT_EQ(o.splitRow, 300u);
  EXPECT_EQ(o.imageAverage, 100u);
  EXPECT_EQ(o.afterSplitMean, 110u);
  for (uint32_t m = 304; m < 576; ++m)
    for (uint32_t x = 0; x < 1000; x += 17) ASSERT_EQ(c.Row(m)[x], 105) << m;
  // Below the smoothed rows nothing changed.
  EXPECT_TRUE(std::equal(c.pixels.begin(), c.pixels.begin() + 294 * 1000, before.begin()));
  // The seam rows lie between their neighbours.
  for (uint32_t m = 300; m < 304; ++m) EXPECT_LE(c.Row(m)[0], 105);
}

TEST(SplitCompensation, RaisesADarkerPartAndClampsAt255) {
  Canvas c(1000, 100, 250);
  for (uint32_t m = 50; m < 100; ++m) c.FillRow(m, 240);
  c.Row(99)[0] = 255;
  const BrightnessOutcome o = c.Analyse("KAIW0001", false);
  ASSERT_EQ(o.splitRow, 50u);
  // Mean 245, after-mean 240: (5 x 50) div 100 = 2.
  EXPECT_EQ(c.Row(80)[1], 242);
  EXPECT_EQ(c.Row(99)[0], 255);
}

TEST(SplitCompensation, LargeDifferenceIsNotCompensatedButTheSeamIsSmoothed) {
  Canvas c(1000, 100, 20);
  for (uint32_t m = 50; m < 100; ++m) c.FillRow(m, 120);
  const BrightnessOutcome o = c.Analyse("U5IW0001", false);
  ASSERT_EQ(o.splitRow, 50u);
  EXPECT_EQ(c.Row(60)[0], 120);
  // Rows 50..53 between row 49 (20) and row 54 (120): rising by 20.
  EXPECT_EQ(c.Row(50)[0], 40);
  EXPECT_EQ(c.Row(53)[0], 100);
}

TEST(SmoothSeam, WorkedColumns) {
  struct Case {
    const char* why;
    Bytes rows;
    uint16_t columns;
    Bytes expected;
  };
  const Case cases[] = {
      {"falling column steps", {100, 7, 7, 7, 7, 50}, 1, {100, 90, 80, 70, 60, 50}},
      {"falling values not above their step number become black", {5, 9, 9, 9, 9, 0}, 1, {5, 4, 3, 0, 0, 0}},
      {"rising column steps", {50, 0, 0, 0, 0, 100}, 1, {50, 60, 70, 80, 90, 100}},
      {"rising column stops at its row limits", {240, 0, 0, 0, 0, 255}, 1, {240, 243, 246, 249, 255, 255}},
      // m = 101: 0, 50, 75, 88, 94, 97, 99, 100, 100, 100, 100;
      // from 200: 150, 125, 113, 107, 104, 102, 101, 101, 101, 101.
      {"flat column moves halfway toward the mean ten times", {100, 0, 0, 200, 101, 102}, 1,
       {100, 100, 100, 101, 101, 102}},
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
