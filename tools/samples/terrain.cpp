#include "terrain.h"

#include <algorithm>
#include <cmath>

namespace samples {
namespace {

constexpr uint32_t kWorldSeed = 0x4B455354;  // one world for every sample

uint32_t Hash(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = seed ^ (static_cast<uint32_t>(x) * 0x9E3779B1u) ^ (static_cast<uint32_t>(y) * 0x85EBCA77u);
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

double Lattice(int32_t x, int32_t y, uint32_t seed) {
  return static_cast<double>(Hash(x, y, seed) >> 8) / 16777216.0;
}

double Smooth(double t) { return t * t * (3 - 2 * t); }

// Value noise in 0..1.
double Noise(double x, double y, uint32_t seed) {
  const double fx = std::floor(x);
  const double fy = std::floor(y);
  const auto ix = static_cast<int32_t>(fx);
  const auto iy = static_cast<int32_t>(fy);
  const double tx = Smooth(x - fx);
  const double ty = Smooth(y - fy);
  const double a = Lattice(ix, iy, seed);
  const double b = Lattice(ix + 1, iy, seed);
  const double c = Lattice(ix, iy + 1, seed);
  const double d = Lattice(ix + 1, iy + 1, seed);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Fractal sum of `octaves` noises, centred on 0, roughly within -0.5..0.5.
double Fractal(double x, double y, int octaves, uint32_t seed) {
  double sum = 0;
  double amplitude = 0.5;
  double norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * (Noise(x, y, seed + static_cast<uint32_t>(o) * 101u) - 0.5);
    norm += amplitude;
    x = x * 2.03 + 17.1;
    y = y * 2.03 - 9.7;
    amplitude *= 0.5;
  }
  return sum / norm;
}

double Ramp(double edge0, double edge1, double v) {
  return Smooth(std::clamp((v - edge0) / (edge1 - edge0), 0.0, 1.0));
}

// Ground height: above 0 is land. The broad shapes and the ridges that make mountain chains
// vary slowly and are sampled on a grid; the detail that draws the coasts, per pixel.
double Continent(double x, double y) { return Fractal(x * 0.35, y * 0.35, 4, kWorldSeed); }
double Ridges(double x, double y) {
  return 0.5 - std::abs(Fractal(x * 1.1, y * 1.1, 4, kWorldSeed + 13));
}
constexpr double kDetailFrequency = 1.7;
double Detail(double x, double y, int octaves) {
  return Fractal(x * kDetailFrequency, y * kDetailFrequency, octaves, kWorldSeed + 7);
}
// Enough octaves of detail that the finest is about three pixels across, at any zoom.
int DetailOctaves(double step) {
  const double finest = std::log(1 / (kDetailFrequency * step * 3)) / std::log(2.03);
  return std::clamp(static_cast<int>(std::ceil(finest)), 5, 10);
}

double Height(double continent, double ridges, double detail) {
  return continent * 1.6 + detail * 0.45 + std::max(0.0, continent) * ridges * 1.4 - 0.02;
}

double CloudCover(double x, double y) {
  const double c = Fractal(x * 0.9 + 40, y * 0.9 - 25, 6, kWorldSeed + 29);
  return Ramp(0.02, 0.22, c);
}

double Moisture(double x, double y) { return Fractal(x * 0.6 - 11, y * 0.6 + 5, 3, kWorldSeed + 41); }

// A slowly varying field sampled every few pixels and read back by bilinear interpolation.
class GridField {
 public:
  GridField(double (*field)(double, double), double left, double top, double spacing,
            double width, double height)
      : left_(left), top_(top), spacing_(spacing),
        columns_(static_cast<size_t>(width / spacing) + 3),
        rows_(static_cast<size_t>(height / spacing) + 3),
        values_(columns_ * rows_) {
    for (size_t r = 0; r < rows_; ++r)
      for (size_t c = 0; c < columns_; ++c)
        values_[r * columns_ + c] = field(left + spacing * static_cast<double>(c),
                                          top + spacing * static_cast<double>(r));
  }

  double At(double x, double y) const {
    const double fx = std::clamp((x - left_) / spacing_, 0.0, static_cast<double>(columns_ - 2));
    const double fy = std::clamp((y - top_) / spacing_, 0.0, static_cast<double>(rows_ - 2));
    const auto c = std::min(static_cast<size_t>(fx), columns_ - 2);
    const auto r = std::min(static_cast<size_t>(fy), rows_ - 2);
    const double tx = fx - static_cast<double>(c);
    const double ty = fy - static_cast<double>(r);
    const double* v = values_.data() + r * columns_ + c;
    const double top = v[0] + (v[1] - v[0]) * tx;
    const double bottom = v[columns_] + (v[columns_ + 1] - v[columns_]) * tx;
    return top + (bottom - top) * ty;
  }

 private:
  double left_, top_, spacing_;
  size_t columns_, rows_;
  std::vector<double> values_;
};

constexpr double kGridPixels = 4;
// Cloud shadows fall toward the lower right of the clouds.
constexpr double kShadowOffset = 0.05;

struct Reflectance {
  double sea, shallow, beach, forest, soil, rock, snow, cloud;
};

Reflectance ForBand(Band band) {
  switch (band) {
    case Band::Panchromatic: return {34, 70, 170, 78, 135, 120, 225, 238};
    case Band::NearInfrared: return {12, 20, 150, 175, 120, 110, 215, 232};
    case Band::VisibleRed: return {24, 55, 165, 42, 125, 115, 222, 236};
    case Band::VisibleGreen: return {42, 85, 160, 70, 112, 108, 225, 238};
  }
  return {};
}

}  // namespace

View CentredView(double x, double y, double step, size_t width, size_t height) {
  return {x - step * static_cast<double>(width) / 2, y - step * static_cast<double>(height) / 2, step};
}

std::vector<uint8_t> RenderScene(const View& view, size_t width, size_t height, Band band,
                                 uint32_t noiseSeed) {
  const Reflectance r = ForBand(band);
  const double spanX = view.step * static_cast<double>(width + 1);
  const double spanY = view.step * static_cast<double>(height + 1);
  const double grid = view.step * kGridPixels;
  const GridField continent(Continent, view.left, view.top, grid, spanX, spanY);
  const GridField ridges(Ridges, view.left, view.top, grid, spanX, spanY);
  const GridField moisture(Moisture, view.left, view.top, grid, spanX, spanY);
  const GridField clouds(CloudCover, view.left - kShadowOffset, view.top - kShadowOffset, grid,
                         spanX + kShadowOffset, spanY + kShadowOffset);
  // Heights on a grid one larger than the picture, for the slopes that shade the relief; the
  // detail also breaks up the vegetation.
  const int octaves = DetailOctaves(view.step);
  std::vector<double> heights((width + 1) * (height + 1));
  std::vector<double> details(heights.size());
  for (size_t row = 0; row <= height; ++row) {
    const double y = view.top + view.step * static_cast<double>(row);
    for (size_t col = 0; col <= width; ++col) {
      const double x = view.left + view.step * static_cast<double>(col);
      const size_t i = row * (width + 1) + col;
      details[i] = Detail(x, y, octaves);
      heights[i] = Height(continent.At(x, y), ridges.At(x, y), details[i]);
    }
  }
  // Sun from the upper left; slopes measured per world unit so shading does not depend on zoom.
  const double slopeScale = 0.072 / view.step;
  std::vector<uint8_t> pixels(width * height);
  for (size_t row = 0; row < height; ++row) {
    const double y = view.top + view.step * static_cast<double>(row);
    for (size_t col = 0; col < width; ++col) {
      const double x = view.left + view.step * static_cast<double>(col);
      const double h = heights[row * (width + 1) + col];
      double ground;
      if (h < 0) {
        ground = r.sea + (r.shallow - r.sea) * std::exp(h * 40);
      } else {
        const double dx = heights[row * (width + 1) + col + 1] - h;
        const double dy = heights[(row + 1) * (width + 1) + col] - h;
        const double shade = std::clamp(1.0 - (dx + dy) * slopeScale, 0.55, 1.45);
        const double patches = details[row * (width + 1) + col] * 0.8;
        const double wet = Ramp(-0.08, 0.08, moisture.At(x, y) + patches - h * 0.6);
        double land = r.soil + (r.forest - r.soil) * wet;
        land += (r.rock - land) * Ramp(0.25, 0.45, h);
        land *= shade;
        land += (r.snow - land) * Ramp(0.55, 0.65, h);
        ground = land + (r.beach - land) * (1 - Ramp(0.0, 0.005, h));
      }
      ground *= 1 - 0.45 * clouds.At(x - kShadowOffset, y - kShadowOffset);
      const double cloud = clouds.At(x, y);
      double value = ground + (r.cloud - ground) * cloud;
      // Sensor noise of about one grey level.
      value += static_cast<double>(Hash(static_cast<int32_t>(col), static_cast<int32_t>(row), noiseSeed) % 5) - 2.0;
      pixels[row * width + col] = static_cast<uint8_t>(std::clamp(value, 8.0, 250.0));
    }
  }
  return pixels;
}

void FindCoast(double& x, double& y, double step) {
  // Walk a fixed spiral until a 12 x 12 sample of the view holds 30..70 % land and the clouds
  // leave most of it in sight.
  for (int attempt = 0; attempt < 400; ++attempt) {
    const double angle = attempt * 2.4;
    const double radius = 0.3 * std::sqrt(attempt);
    const double cx = x + radius * std::cos(angle);
    const double cy = y + radius * std::sin(angle);
    int land = 0;
    double cloud = 0;
    for (int i = 0; i < 12; ++i) {
      for (int j = 0; j < 12; ++j) {
        const double px = cx + (i - 5.5) * step * 50;
        const double py = cy + (j - 5.5) * step * 50;
        land += Height(Continent(px, py), Ridges(px, py), Detail(px, py, 5)) > 0;
        cloud += CloudCover(px, py);
      }
    }
    if (land >= 43 && land <= 101 && cloud < 144 * 0.4) {
      x = cx;
      y = cy;
      return;
    }
  }
}

}  // namespace samples
