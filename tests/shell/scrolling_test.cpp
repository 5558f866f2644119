#include "shell/scrolling.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(ScrollStep, LineStepsAreLopsidedOnA200PixelClient) {
  // A client area 200 pixels high: a line up moves 11 pixels, a line down 13, a page down 101.
  EXPECT_EQ(ScrollStep(ScrollRequest::LineUp, 200, 50, 0), -11);
  EXPECT_EQ(ScrollStep(ScrollRequest::LineDown, 200, 50, 0), 13);
  EXPECT_EQ(ScrollStep(ScrollRequest::PageDown, 200, 50, 0), 101);
  EXPECT_EQ(ScrollStep(ScrollRequest::PageUp, 200, 50, 0), -99);
}

TEST(ScrollStep, SmallClientsStillMoveDownButNotUp) {
  // Below 16 pixels a line up does not move at all, a line down moves one pixel.
  EXPECT_EQ(ScrollStep(ScrollRequest::LineUp, 15, 5, 0), 1);
  EXPECT_EQ(ScrollStep(ScrollRequest::LineUp, 16, 5, 0), 0);
  EXPECT_EQ(ScrollStep(ScrollRequest::LineDown, 15, 5, 0), 1);
}

TEST(ScrollStep, ThumbMovesToWhereItWasDraggedAndOthersStay) {
  EXPECT_EQ(ScrollStep(ScrollRequest::Thumb, 200, 30, 75), 45);
  EXPECT_EQ(ScrollStep(ScrollRequest::Thumb, 200, 75, 30), -45);
  EXPECT_EQ(ScrollStep(ScrollRequest::Other, 200, 30, 75), 0);
}

TEST(ScrolledPosition, StaysInsideTheRange) {
  EXPECT_EQ(ScrolledPosition(ScrollRequest::LineDown, 200, 0, 0, 0, 100), 13);
  EXPECT_EQ(ScrolledPosition(ScrollRequest::PageDown, 200, 50, 0, 0, 100), 100);
  EXPECT_EQ(ScrolledPosition(ScrollRequest::PageUp, 200, 50, 0, 0, 100), 0);
  EXPECT_EQ(ScrolledPosition(ScrollRequest::Thumb, 200, 0, 500, 0, 100), 100);
  // A bar without range never moves.
  EXPECT_EQ(ScrolledPosition(ScrollRequest::LineDown, 200, 0, 0, 0, 0), 0);
}

}  // namespace
}  // namespace kestrel
