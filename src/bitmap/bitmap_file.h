#pragma once
// Windows bitmap files (.BMP, .DIB, .RLE): read into and written from packed DIBs.

#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>

#include "base/block.h"
#include "bitmap/dib.h"

namespace kestrel {

inline constexpr size_t kTransferChunk = 32768;

// Reads in chunks of 32768 bytes; `count` when every chunk came whole, else 0.
size_t ReadLarge(std::FILE* file, uint8_t* buffer, size_t count);

// Header and colour table of a bitmap at the file's position, as a block of 40 + N x 4 bytes
// with biSizeImage and biClrUsed completed; a 12-byte core header comes back widened. The file
// is left at the first pixel byte. None when the header is not one of a bitmap.
Block ReadDibHeader(std::FILE* file);

enum class BitmapReadError {
  None,
  CannotOpen,
  NotBitmap,
  ShortPixels,  // the header asks for more pixel bytes than the file holds
  TooLarge,     // the picture, or the size the header declares, passes the picture limit
};

struct BitmapReadResult {
  Block dib;
  BitmapReadError error = BitmapReadError::None;
};

// A whole bitmap file as a packed DIB. RLE files stay encoded; top-down files are turned
// bottom-up; headers whose sizes the file cannot back, or that describe a picture beyond the
// picture limit, are refused before the pixels are allocated.
BitmapReadResult ReadBitmapFile(const std::filesystem::path& path);
// The same for the bytes of a whole bitmap file in memory.
BitmapReadResult ReadBitmapBytes(std::span<const uint8_t> bytes);

// The bytes of a bitmap file for a packed DIB: the 14-byte file header, then the block.
Bytes EncodeBitmapFile(const Bytes& dib);
// Writes a packed DIB as a bitmap file; an existing file is replaced only when all went well.
bool WriteBitmapFile(const std::filesystem::path& path, const Bytes& dib);

}  // namespace kestrel
