// Colour mixing, rotation, exposure, compensation and sharpening kernels: the worked values,
// and the sliding sharpener against the direct window sum; the image commands' dialogs.

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

#include "base/command_ids.h"
#include "processing/colour_mixing.h"
#include "processing/exposure.h"
#include "processing/image_commands.h"
#include "processing/image_dialogs.h"
#include "processing/rotation.h"
#include "processing/sharpen.h"
#include "test_support.h"

namespace kestrel {
namespace {

using Pixel = std::array<uint8_t, 3>;

TEST(MixColourPixels, MixesEachBandByItsPercentages) {
  const struct {
    Pixel in, out;
  } cases[] = {{{100, 200, 50}, {135, 220, 152}},  // blue 65 + 70, green 220, red 32 + 120
               {{255, 255, 255}, {254, 255, 255}},
               {{0, 0, 200}, {0, 0, 130}},
               {{0, 1, 0}, {0, 1, 0}}};  // each product divided on its own: 60% of 1 is 0
  for (const auto& c : cases) {
    // A second pixel behind it: the last whole pixel of the area is only copied.
    std::vector<uint8_t> source{c.in[0], c.in[1], c.in[2], 9, 9, 9}, target(6);
    MixColourPixels(source, target, MixCoefficients{});
    EXPECT_EQ((Pixel{target[0], target[1], target[2]}), c.out);
    EXPECT_EQ((Pixel{target[3], target[4], target[5]}), (Pixel{9, 9, 9}));
  }
  // A typed percentage as large as an edit box takes saturates; it never overflows.
  std::vector<uint8_t> source{2, 2, 2, 0, 0, 0}, target(6);
  const int32_t most = INT32_MAX;
  MixColourPixels(source, target, MixCoefficients{most, most, most, most, most});
  EXPECT_EQ((Pixel{target[0], target[1], target[2]}), (Pixel{255, 255, 255}));
}

TEST(RotatePixels, TurnsAQuarterEitherWay) {
  // Rows bottom first: 1 2 3 4 / 5 6 7 8.
  const std::vector<uint8_t> picture{1, 2, 3, 4, 5, 6, 7, 8};
  std::vector<uint8_t> turned(8);
  RotatePixels(picture, turned, 4, 2, {}, Turn::Clockwise);
  EXPECT_EQ(turned, (std::vector<uint8_t>{4, 8, 3, 7, 2, 6, 1, 5}));
  RotatePixels(picture, turned, 4, 2, {}, Turn::Anticlockwise);
  EXPECT_EQ(turned, (std::vector<uint8_t>{5, 1, 6, 2, 7, 3, 8, 4}));

  // One plane turns alone.
  std::mt19937 random(7);
  std::vector<uint8_t> colour(3 * 6 * 6), scratch;
  for (auto& b : colour) b = static_cast<uint8_t>(random());
  RotatePixels(colour, scratch = colour, 6, 6, {3, 0, 1}, Turn::Clockwise);
  for (size_t p = 0; p < 36; ++p) {
    EXPECT_EQ(scratch[3 * p + 1], colour[3 * p + 1]);
    EXPECT_EQ(scratch[3 * p + 2], colour[3 * p + 2]);
  }
  EXPECT_EQ(scratch[0], colour[3 * 5]);  // the bottom-right pixel's green band moved first

  // Pictures of several tiles and a part one, against each pixel's place taken one by one.
  const struct { uint32_t width, height; PixelBytes bytes; Turn turn; } cases[] = {
      {70, 33, {}, Turn::Clockwise},
      {33, 70, {}, Turn::Anticlockwise},
      {45, 64, {3, 1, 2}, Turn::Clockwise},
      {64, 45, {3, 0, 3}, Turn::Anticlockwise},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> from(size_t{c.width} * c.height * c.bytes.size), fast(from.size());
    for (auto& b : from) b = static_cast<uint8_t>(random());
    RotatePixels(from, fast, c.width, c.height, c.bytes, c.turn);
    std::vector<uint8_t> plain(from.size());
    for (uint32_t step = 0, at = 0; step < c.width; ++step)
      for (uint32_t row = 0; row < c.height; ++row, ++at) {
        const uint32_t x = c.turn == Turn::Clockwise ? c.width - 1 - step : step;
        const uint32_t y = c.turn == Turn::Clockwise ? row : c.height - 1 - row;
        for (uint32_t b = c.bytes.first; b < c.bytes.first + c.bytes.count; ++b)
          plain[at * c.bytes.size + b] = from[(y * c.width + x) * c.bytes.size + b];
      }
    EXPECT_EQ(fast, plain) << c.width << " x " << c.height;
  }
}

TEST(Exposure, TableWindowsAndColourCompensation) {
  std::vector<uint8_t> ramp(512 * 4, 0);
  for (size_t i = 0; i < 256; ++i)
    for (size_t b = 0; b < 3; ++b) ramp[4 * (128 + i) + b] = static_cast<uint8_t>(i);
  std::fill(ramp.begin() + 4 * 384, ramp.end(), uint8_t{255});
  std::vector<uint8_t> table(1024);
  ApplyExposureTable(ramp, 0, table);
  EXPECT_EQ(table[4 * 127], 0);
  EXPECT_EQ(table[4 * 200], 72);
  ApplyExposureTable(ramp, 255, table);
  EXPECT_EQ(table[0], 127);
  EXPECT_EQ(table[4 * 200 + 3], 255);  // the white entries carry 255 in their fourth byte

  const struct {
    CompensationMode mode;
    bool lighten;
    uint8_t amount;
    std::vector<uint8_t> in, out;
  } cases[] = {
      {CompensationMode::Averaged, true, 8, {0, 232, 235, 245, 100, 7}, {8, 240, 240, 240, 108, 15}},
      {CompensationMode::Averaged, false, 8, {16, 10, 5, 200, 9, 8}, {8, 8, 8, 192, 8, 8}},
      {CompensationMode::Averaged, false, 50, {20, 100, 255}, {8, 50, 205}},
      // Graded amounts round down: 41, 3 x 41 / 4 = 30, 41 / 2 = 20, 41 / 4 = 10 by the byte's
      // quarter of the range; for 43: 43, 32, 21, 10.
      {CompensationMode::Graded, true, 41, {50, 63, 64, 127, 128, 191, 192, 200, 250}, {91, 104, 94, 157, 148, 211, 202, 210, 240}},
      {CompensationMode::Graded, false, 43, {60, 100, 150, 200, 64, 128}, {17, 68, 129, 190, 32, 107}},
      {CompensationMode::None, true, 40, {250, 3, 7}, {240, 3, 7}},
      {CompensationMode::None, false, 40, {250, 3, 7}, {250, 8, 8}},
      {CompensationMode::EachPlane, true, 99, {10, 10, 10, 10, 10, 10}, {11, 12, 13, 11, 12, 13}},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes = c.in;
    const Compensation compensation{c.mode, c.amount, {1, 2, 3}};
    c.lighten ? LightenColourBytes(bytes, compensation) : DarkenColourBytes(bytes, compensation);
    EXPECT_EQ(bytes, c.out) << static_cast<int>(c.mode) << (c.lighten ? " lighten" : " darken");
  }
}

TEST(DeriveCompensation, MovesTheMeanToMidGrey) {
  const uint64_t plane = 1040400;
  const struct {
    std::array<uint64_t, 3> means;  // by byte 0, 1, 2; each sum is plane - 1 beyond mean x plane
    uint64_t zeros, fulls;
    uint16_t level;
    std::array<uint16_t, 3> amounts;  // low bytes
    bool graded;
  } cases[] = {
      {{49, 100, 201}, 0, 0, 0x10B, {78, 27, 182}, false},  // average 350 / 3 = 116
      {{140, 120, 101}, 0, 0, 0x107, {243, 7, 26}, false},  // 361 / 3 = 120
      {{200, 200, 201}, 0, 0, 73, {73, 73, 74}, false},     // 601 / 3 = 200
      {{127, 127, 127}, 100001, 100001, 0, {0, 0, 0}, true},
      {{127, 127, 127}, 100000, 200000, 0, {0, 0, 0}, false},
  };
  for (const auto& c : cases) {
    PlaneStatistics statistics{{c.means[0] * plane + plane - 1, c.means[1] * plane + plane - 1,
                                c.means[2] * plane + plane - 1}, c.zeros, c.fulls, plane};
    const DerivedCompensation derived = DeriveCompensation(statistics);
    EXPECT_EQ(derived.exposureLevel, c.level);
    for (size_t k = 0; k < 3; ++k) EXPECT_EQ(derived.channelAmounts[k] & 0xFF, c.amounts[k]);
    EXPECT_EQ(derived.graded, c.graded);
  }
}

// The direct n x n window sum, as the sharpener is defined.
std::vector<uint8_t> SharpenDirect(std::vector<uint8_t> pixels, SharpenGeometry g, uint8_t amount) {
  const size_t n = g.window, s = g.rowStep, half = (n - 1) / 2;
  std::vector<uint8_t> mask(pixels.size(), 0);
  for (size_t r = 0; r < g.rows; ++r)
    for (size_t x = 0; x < s; x += 3)
      for (size_t c = 0; c < 3; ++c) {
        const size_t o = r * s + x;
        unsigned sum = 0;
        for (size_t j = 0; j < n; ++j)
          for (size_t i = 0; i < n; ++i) sum += pixels[o + j * s + 3 * i + c];
        const unsigned centre = pixels[o + half * s + 3 * half + c], mean = sum / unsigned(n * n);
        uint8_t flag = 0;
        if (centre > mean && centre != 255) flag = 16;
        if (centre < mean && centre != 0) flag = 32;
        mask[(r + half) * s + 3 * half + x + c] = flag;
      }
  for (size_t i = 0; i < pixels.size(); ++i) {
    if (mask[i] == 16) pixels[i] = static_cast<uint8_t>(std::min(255, pixels[i] + amount));
    if (mask[i] == 32) pixels[i] = static_cast<uint8_t>(std::max(0, pixels[i] - amount));
  }
  return pixels;
}

TEST(SharpenPixels, SlidingSumsMatchTheDirectWindowSum) {
  std::mt19937 random(11);
  const struct {
    uint8_t amount;
    uint32_t window;
  } strengths[] = {{4, 3}, {5, 5}, {7, 7}};
  for (const auto strength : strengths)
    for (const bool colour : {false, true})
      for (const auto& [w, h] : std::vector<std::pair<int, int>>{{13, 11}, {37, 29}, {64, 9}, {8, 8}}) {
        const SharpenGeometry g = SharpenGeometryFor(static_cast<uint16_t>(w),
                                                     static_cast<uint16_t>(h), colour,
                                                     strength.window);
        std::vector<uint8_t> pixels(static_cast<size_t>(w * h * (colour ? 3 : 1)));
        // Smooth regions, clipped extremes and noise, so every flag occurs.
        for (size_t i = 0; i < pixels.size(); ++i)
          pixels[i] = static_cast<uint8_t>(random() % 4 == 0 ? (random() % 2) * 255 : random() % 256);
        const std::vector<uint8_t> expected = SharpenDirect(pixels, g, strength.amount);
        SharpenPixels(pixels, g, strength.amount);
        EXPECT_EQ(pixels, expected) << w << "x" << h << " n=" << strength.window << " colour=" << colour;
      }
  // A uniform picture has nothing to sharpen; a picture as narrow as the window neither.
  std::vector<uint8_t> flat(40 * 40, 77);
  SharpenPixels(flat, SharpenGeometryFor(40, 40, false, 7), 7);
  EXPECT_EQ(flat, std::vector<uint8_t>(40 * 40, 77));
  EXPECT_EQ(SharpenGeometryFor(7, 40, false, 7).rowStep, 0u);
  EXPECT_EQ(SharpenGeometryFor(40, 7, false, 7).rows, 0u);
}

TEST(ImageCommands, DialogsAndColourCommandsThroughTheDispatcher) {
  testing::SessionFixture f;
  ImageState& s = f.session.state;
  f.session.sendCommand = [&](int command, int parameter) {
    int result = 1;
    RunImageCommand(f.session, command, parameter, result);
    return result;
  };
  // The exposure dialog shows the resulting average, not the level.
  s.imageAverage = 60;
  OpenExposureDialog(f.session, 128);
  ScrollExposureDialog(f.session, ExposureScroll::Thumb, 200);
  EXPECT_EQ(s.exposureLevel, 200);
  EXPECT_EQ(s.exposureDialog.scrollPosition, 132);
  EXPECT_EQ(s.exposureDialog.averageLabel, "Average = 0x84");
  ScrollExposureDialog(f.session, ExposureScroll::PageDown);  // 200 + 8, and 0x8c past 128
  EXPECT_EQ(s.exposureDialog.averageLabel, "Average = 0x8c");

  // A plane shift one pixel right moves only the selected plane's bytes.
  s.loadedImage = NewBlock(40 + 12);
  s.shownImage = s.loadedImage;
  for (size_t p = 0; p < 4; ++p) (*s.loadedImage)[40 + 3 * p + 2] = static_cast<uint8_t>(p + 1);
  (*s.loadedImage)[40] = 9;
  OpenColourDialog(f.session);
  PressColourButton(f.session, ColourButton::Right1);  // only "All" is set: nothing moves
  EXPECT_EQ((*s.loadedImage)[40 + 3 * 3 + 2], 4);
  SelectColourPlane(f.session, PlaneCheck::Ir);
  PressColourButton(f.session, ColourButton::Right1);
  for (size_t p = 0; p < 4; ++p) EXPECT_EQ((*s.loadedImage)[40 + 3 * p + 2], std::max<size_t>(p, 1));
  EXPECT_EQ((*s.loadedImage)[40], 9);
  // With every plane selected, whole pixels move; the last keeps its bytes.
  s.planes.green = s.planes.red = s.planes.ir = true;
  std::iota(s.loadedImage->begin() + 40, s.loadedImage->end(), uint8_t{1});
  PressColourButton(f.session, ColourButton::Left1);
  EXPECT_EQ(Bytes(s.loadedImage->begin() + 40, s.loadedImage->end()),
            (Bytes{4, 5, 6, 7, 8, 9, 10, 11, 12, 10, 11, 12}));

  // Spinning one coefficient takes every edit box, typed values included, and selects All.
  EditMixCoefficient(f.session, 0, "12");
  SpinMixCoefficient(f.session, 4, 250);
  EXPECT_EQ(s.mix.irToRed, 12);
  EXPECT_EQ(s.mix.greenToBlue, 200);
  EXPECT_TRUE(s.planes.all && s.planes.ir);

  // Each Plane warns when a channel amount passes the level; twice in a row leaves no mode.
  s.exposureLevel = 0x105;
  s.channelCompensation = {3, 250, 5};
  f.platform.boxAnswers = {BoxAnswer::Cancel};
  int result = 0;
  RunImageCommand(f.session, kCmdCompEachPlane, 0, result);
  EXPECT_EQ(s.processing.compensationMode, CompensationMode::Averaged);
  EXPECT_EQ(f.platform.boxes.back().caption, "Compensation Warning");
  RunImageCommand(f.session, kCmdCompEachPlane, 0, result);
  EXPECT_EQ(s.processing.compensationMode, CompensationMode::EachPlane);
  RunImageCommand(f.session, kCmdCompEachPlane, 0, result);
  EXPECT_EQ(s.processing.compensationMode, CompensationMode::None);
  // Restore without a loaded picture answers 0.
  s.loadedImage.reset();
  EXPECT_TRUE(RunImageCommand(f.session, kCmdColourRestore, 0, result));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(f.platform.boxes.back().text, "Invalid Handle");
}

}  // namespace
}  // namespace kestrel
