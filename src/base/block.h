#pragma once
// Memory blocks: zero-filled byte vectors, shared where the program lets two names hold the
// same block (the picture on show is often the very picture that was loaded).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace kestrel {

using Bytes = std::vector<uint8_t>;
using Block = std::shared_ptr<Bytes>;

inline Block NewBlock(size_t size) { return std::make_shared<Bytes>(size, uint8_t{0}); }

// A byte-for-byte copy of a whole block; none for none.
inline Block DuplicateBlock(const Block& block) {
  return block ? std::make_shared<Bytes>(*block) : Block{};
}

// Loaders size their blocks in whole 4 KiB pages with room to spare: (n div 4096 + 3) x 4096.
inline size_t LoaderBlockSize(size_t pixelBytes) { return (pixelBytes / 4096 + 3) * 4096; }

// Overflow-checked size arithmetic for sizes taken from files.
inline std::optional<size_t> CheckedMultiply(size_t a, size_t b) {
  size_t product = 0;
  if (__builtin_mul_overflow(a, b, &product)) return std::nullopt;
  return product;
}

// The most bytes the block of one picture may take, whatever layer builds it: 256 MiB. A 24-bit
// 8000 x 6000 photograph needs 137 MiB; Qt's image reader stops at the same 256 MB by default.
// Files that declare more are refused before anything is allocated, so a few bytes of header
// can never ask for gigabytes.
inline constexpr uint64_t kPictureBlockLimit = uint64_t{256} << 20;

// `count` x `unit` + `extra` bytes, computed in 64 bits; none when that overflows or passes the
// picture limit.
inline std::optional<size_t> PictureBlockSize(uint64_t count, uint64_t unit, uint64_t extra = 0) {
  uint64_t product = 0;
  uint64_t total = 0;
  if (__builtin_mul_overflow(count, unit, &product) ||
      __builtin_add_overflow(product, extra, &total) || total > kPictureBlockLimit)
    return std::nullopt;
  return static_cast<size_t>(total);
}

// Little-endian fields at unaligned offsets. Callers check the bounds first.
inline uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t LoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t LoadI32(const uint8_t* p) { return static_cast<int32_t>(LoadU32(p)); }
inline void StoreU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void StoreI32(uint8_t* p, int32_t v) { StoreU32(p, static_cast<uint32_t>(v)); }

}  // namespace kestrel
