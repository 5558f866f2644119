#pragma once
// Procedural earth seen from orbit: sea, coasts, relief, vegetation and clouds with their
// shadows, rendered at any place and scale. Deterministic: the same view gives the same bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace samples {

// What a camera looks at: the ground point at the picture's top-left corner and the ground
// distance between pixels, in world units (one unit is roughly 100 km).
struct View {
  double left = 0;
  double top = 0;
  double step = 0.01;
};

// A view of `width` x `height` pixels centred on (x, y).
View CentredView(double x, double y, double step, size_t width, size_t height);

enum class Band {
  Panchromatic,  // the grey cameras
  NearInfrared,  // TMSAT plane 1: vegetation bright, water black
  VisibleRed,    // TMSAT plane 2: vegetation dark
  VisibleGreen,  // TMSAT plane 3: water a little brighter
};

// Rows top-down, `width` bytes each. Values stay within 8..250, so no picture byte can pass
// for a stored size or a frame separator.
std::vector<uint8_t> RenderScene(const View& view, size_t width, size_t height, Band band,
                                 uint32_t noiseSeed);

// A centre near (x, y) whose surroundings at this step hold both sea and land.
void FindCoast(double& x, double& y, double step);

}  // namespace samples
