// The View menu's zoom: its steps and fitting, and through the dispatcher and the scripted
// platform, the zoom each picture opens at and the caption that shows it.

#include <gtest/gtest.h>

#include "base/command_ids.h"
#include "session/current_image.h"
#include "session/view_zoom.h"
#include "shell/dispatch.h"
#include "support/dib_builders.h"
#include "support/test_support.h"

namespace kestrel {
namespace {

TEST(Zoom, StepsFromAnyValueAndNoFurtherThanTheEnds) {
  const int cases[][3] = {{43, 50, 33}, {50, 67, 33}, {99, 100, 75}, {5, 10, 5}, {10, 15, 10}, {1600, 1600, 1200}};
  for (const auto& [from, in, out] : cases) EXPECT_EQ(std::pair(ZoomInStep(from), ZoomOutStep(from)), std::pair(in, out)) << from;
}

TEST(Zoom, FitsTheLargestWholePercentageThatLeavesNoScrollBar) {
  const struct { Extent picture, room; int percent; } cases[] = {
      {{1220, 1220}, {1000, 700}, 57}, {{3000, 500}, {1000, 700}, 33}, {{500, 3000}, {1000, 700}, 23},
      {{120, 90}, {800, 600}, 666}, {{3, 2}, {800, 600}, 1600}, {{30000, 1}, {200, 200}, 1}, {{64, 64}, {0, -5}, 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(FitPercent(c.picture, c.room), c.percent) << c.picture.width << "x" << c.picture.height;
    const auto fits = [&c](int p) { return ZoomedLength(c.picture.width, p) <= c.room.width && ZoomedLength(c.picture.height, p) <= c.room.height; };
    if (c.percent > 1 && c.percent < 1600) {
      EXPECT_TRUE(fits(c.percent) && !fits(c.percent + 1));
    }
  }
}

TEST(Zoom, LargePicturesOpenFittedUntilActualSizeIsChosen) {
  testing::SessionFixture f;
  AttachDispatcher(f.session);
  f.platform.pictureRoom = PictureRoom{{1200, 800}, {1300, 900}};
  const auto picture = [](int width, int height) { return testing::MakeDib(width, height, 24, {}, [](int x, int y) { return uint32_t(x * 5 + y * 3); }); };
  // A new picture as the open commands install one (name, size), or a command; then the caption.
  const struct { const char* name; int width, height, command; const char* zoom; } steps[] = {
      {"SMALL", 600, 400, 0, ""}, {nullptr, 0, 0, kCmdFitToWindow, " 200%"}, {"SET", 1220, 1220, 0, " 73%"},
      {nullptr, 0, 0, kCmdZoomIn, " 75%"}, {nullptr, 0, 0, kCmdActualSize, ""}, {"NEXT", 1220, 1220, 0, ""},
      {nullptr, 0, 0, kCmdZoomOut, " 75%"}, {"LAST", 2600, 500, 0, " 50%"}};
  std::string size;
  for (const auto& step : steps) {
    if (step.name) {
      FreeCurrentImage(f.session);
      f.session.state.currentFilePath = step.name;
      ASSERT_TRUE(SetCurrentImage(f.session, std::make_shared<Bytes>(picture(step.width, step.height))));
      size = std::string(step.name) + " " + std::to_string(step.width) + "x" + std::to_string(step.height);
    }
    if (step.command) DispatchAccelerator(f.session, step.command);
    EXPECT_EQ(f.platform.caption, "Kestrel (" + size + "x24 RGB)" + step.zoom);
  }
  EXPECT_EQ(f.platform.zoomChanges, 4);
  // The zoom is the view's alone: the pixels stay, and an edit that keeps the size keeps it.
  EXPECT_EQ(*f.session.state.current.currentDib, picture(2600, 500));
  ASSERT_TRUE(SetCurrentImage(f.session, std::make_shared<Bytes>(picture(2600, 500))));
  EXPECT_EQ(f.platform.caption, "Kestrel (LAST 2600x500x24 RGB) 50%");
}

}  // namespace
}  // namespace kestrel
