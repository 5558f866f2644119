#include "camera_files.h"

#include <algorithm>

#include "base/block.h"

namespace samples {
namespace {

constexpr size_t kHeaderLength = 256;
constexpr size_t kSizeOffset = 251;
constexpr size_t kWideAngleLead = 380;
constexpr size_t kRawHeaderLength = 108;
constexpr size_t kRawBlockLength = 109;

}  // namespace

Bytes CameraHeader(uint32_t captureTime, size_t timeOffset) {
  Bytes header(kHeaderLength, 0);
  kestrel::StoreU32(header.data() + timeOffset, captureTime);
  return header;
}

Bytes SizedHeader(uint32_t captureTime, size_t width, size_t height, size_t timeOffset) {
  Bytes header = CameraHeader(captureTime, timeOffset);
  kestrel::StoreU16(header.data() + kSizeOffset, static_cast<uint16_t>(width));
  kestrel::StoreU16(header.data() + kSizeOffset + 2, static_cast<uint16_t>(height));
  return header;
}

Bytes Concat(Bytes first, const Bytes& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

Bytes FieldBody(const Picture& p, size_t gap) {
  Bytes body;
  body.reserve(p.width * p.height);
  const auto row = [&](size_t r) { return p.pixels.begin() + static_cast<std::ptrdiff_t>(r * p.width); };
  for (size_t r = 1; r < p.height; r += 2) body.insert(body.end(), row(r), row(r) + static_cast<std::ptrdiff_t>(p.width));
  body.insert(body.end(), gap, 0);
  for (size_t r = 2; r < p.height; r += 2) body.insert(body.end(), row(r), row(r) + static_cast<std::ptrdiff_t>(p.width));
  body.resize(p.width * p.height, 0);
  return body;
}

Bytes WideAngleBody(const Picture& p) {
  Picture shifted = p;
  for (size_t r = 2; r < p.height; r += 2) {
    for (size_t x = p.width - 1; x > 0; --x) shifted.At(r, x) = p.pixels[r * p.width + x - 1];
  }
  Bytes body(kWideAngleLead, 0);
  body = Concat(body, FieldBody(shifted, 0));
  body.resize(p.width * p.height);
  return body;
}

Bytes SequentialBody(const Picture& p) { return p.pixels; }

Picture Thumbnail(const Picture& p) {
  Picture t{p.width / 4, p.height / 4, {}};
  t.pixels.resize(t.width * t.height);
  for (size_t r = 0; r < t.height; ++r) {
    for (size_t c = 0; c < t.width; ++c) {
      unsigned sum = 0;
      for (size_t i = 0; i < 4; ++i)
        for (size_t j = 0; j < 4; ++j) sum += p.pixels[(4 * r + i) * p.width + 4 * c + j];
      t.At(r, c) = static_cast<uint8_t>(sum / 16);
    }
  }
  return t;
}

Picture HalfTurn(const Picture& p) {
  Picture turned = p;
  std::reverse(turned.pixels.begin(), turned.pixels.end());
  return turned;
}

Bytes Shifted(const Bytes& body, const Bytes& margin, std::ptrdiff_t bytes) {
  Bytes moved(body.size());
  const auto size = static_cast<std::ptrdiff_t>(body.size());
  for (std::ptrdiff_t i = 0; i < size; ++i) {
    const std::ptrdiff_t from = i + bytes;
    if (from >= 0 && from < size) {
      moved[static_cast<size_t>(i)] = body[static_cast<size_t>(from)];
    } else {
      // Beyond either end the picture continues into the margin rendered for it.
      const std::ptrdiff_t outside = from < 0 ? -from - 1 : from - size;
      moved[static_cast<size_t>(i)] = margin[static_cast<size_t>(outside) % margin.size()];
    }
  }
  return moved;
}

void AddSeam(Picture& p, size_t row, int amount) {
  for (size_t i = 0; i < row * p.width; ++i)
    p.pixels[i] = static_cast<uint8_t>(std::clamp(p.pixels[i] + amount, 8, 250));
}

void AddDarkReference(Picture& p, size_t count) {
  for (size_t r = 0; r < p.height; ++r)
    for (size_t x = 0; x < std::min(count, p.width); ++x)
      p.At(r, x) = static_cast<uint8_t>(10 + (r * 7 + x * 3) % 5);
}

void AddHotPixels(Picture& p, size_t count, uint32_t seed) {
  for (size_t i = 0; i < count; ++i) {
    seed = seed * 1664525u + 1013904223u;
    p.pixels[seed % p.pixels.size()] = 250;
  }
}

Bytes WithRepeatedBlocks(const Bytes& file, const std::vector<Repeat>& repeats) {
  Bytes raw(file.begin(), file.begin() + kRawHeaderLength);
  const size_t blocks = (file.size() - kRawHeaderLength + kRawBlockLength - 1) / kRawBlockLength;
  const auto block = [&](size_t k) {
    const size_t start = kRawHeaderLength + k * kRawBlockLength;
    return std::make_pair(file.begin() + static_cast<std::ptrdiff_t>(start),
                          file.begin() + static_cast<std::ptrdiff_t>(std::min(start + kRawBlockLength, file.size())));
  };
  for (size_t k = 0; k < blocks; ++k) {
    const auto [first, last] = block(k);
    raw.insert(raw.end(), first, last);
    for (const Repeat& repeat : repeats) {
      if (repeat.afterBlock != k || repeat.back > k) continue;
      const auto [again, againEnd] = block(k - repeat.back);
      raw.insert(raw.end(), again, againEnd);
    }
  }
  return raw;
}

Bytes SeparatedFrames(const std::vector<Picture>& frames, size_t frameSpacing) {
  Bytes video;
  for (const Picture& frame : frames) {
    video.insert(video.end(), frameSpacing - frame.pixels.size(), 0);
    video = Concat(video, frame.pixels);
  }
  return video;
}

Bytes ContiguousFrames(const std::vector<Picture>& frames, size_t fileSize) {
  Bytes video;
  for (const Picture& frame : frames) video = Concat(video, frame.pixels);
  video.resize(fileSize);
  return video;
}

}  // namespace samples
