// Thumbnail and compressed files of any content: the pair decoder must refuse them or decode
// them into exactly 16 bytes per thumbnail value, without reading or writing out of bounds.
//
// Input: a 16-bit split, then the bytes of the two files. When the first byte is odd the
// pieces are bodies only, and headers are put in front of them from the next eight bytes with
// the compressed size made four times the thumbnail's, so that most inputs get decoded.

#include <algorithm>
#include <cstdint>
#include <span>

#include "base/block.h"
#include "codec/pair_decoder.h"
#include "codec/pair_format.h"

namespace {

using namespace kestrel;

constexpr size_t kSplitBytes = 2;
constexpr size_t kSizeBytes = 8;

Bytes WithHeader(uint16_t width, uint16_t height, std::span<const uint8_t> body) {
  Bytes file(kPairHeaderLength + body.size(), 0);
  StoreU16(file.data() + kPairWidthOffset, width);
  StoreU16(file.data() + kPairHeightOffset, height);
  std::copy(body.begin(), body.end(), file.begin() + kPairHeaderLength);
  return file;
}

void Check(std::span<const uint8_t> thumbnail, std::span<const uint8_t> compressed) {
  const DecodedPair decoded = DecodePair(thumbnail, compressed);
  if (decoded.fault != PairFault::None) {
    if (!decoded.picture.empty()) __builtin_trap();
    return;
  }
  if (decoded.picture.size() != (thumbnail.size() - kPairHeaderLength) * kPixelsPerBlock)
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kSplitBytes) return 0;
  const std::span<const uint8_t> input(data, size);
  const bool buildHeaders = data[0] & 1;
  std::span<const uint8_t> rest = input.subspan(kSplitBytes);
  if (!buildHeaders) {
    const size_t split = LoadU16(data) % (rest.size() + 1);
    Check(rest.first(split), rest.subspan(split));
    return 0;
  }
  if (rest.size() < kSizeBytes) return 0;
  // Small sizes most of the time, any 16-bit size now and then.
  const uint16_t tw = LoadU16(rest.data()) & (rest[4] & 1 ? 0xFFFF : 0x1F);
  const uint16_t th = LoadU16(rest.data() + 2) & (rest[4] & 1 ? 0xFFFF : 0x1F);
  rest = rest.subspan(kSizeBytes);
  const size_t split = LoadU16(data) % (rest.size() + 1);
  const Bytes thumbnail = WithHeader(tw, th, rest.first(split));
  const Bytes compressed =
      WithHeader(static_cast<uint16_t>(4 * tw), static_cast<uint16_t>(4 * th), rest.subspan(split));
  Check(thumbnail, compressed);
  return 0;
}
