#include "bitmap/bitmap_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "platform/files.h"

namespace kestrel {
namespace {

// Offsets in the 14-byte file header.
constexpr size_t kFileTypeOffset = 0;
constexpr size_t kFileSizeOffset = 2;
constexpr size_t kOffBitsOffset = 10;
// Offsets in the 12-byte core header.
constexpr size_t kCoreWidthOffset = 4;
constexpr size_t kCoreHeightOffset = 6;
constexpr size_t kCorePlanesOffset = 8;
constexpr size_t kCoreBitCountOffset = 10;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// 40 bytes, and the longer versions that other programs write (V2, V3, V4, V5).
bool IsInfoHeaderSize(uint32_t size) {
  return size == kInfoHeaderSize || size == 52 || size == 56 || size == 108 || size == 124;
}

bool SupportedDepth(uint16_t bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
}

}  // namespace

size_t ReadLarge(std::FILE* file, uint8_t* buffer, size_t count) {
  for (size_t done = 0; done < count;) {
    const size_t chunk = std::min(kTransferChunk, count - done);
    if (std::fread(buffer + done, 1, chunk, file) != chunk) return 0;
    done += chunk;
  }
  return count;
}

Block ReadDibHeader(std::FILE* file) {
  const long start = std::ftell(file);
  if (start < 0) return {};
  uint8_t fileHeader[kFileHeaderSize] = {};
  uint32_t offBits = 0;
  if (std::fread(fileHeader, 1, sizeof fileHeader, file) == sizeof fileHeader &&
      LoadU16(fileHeader + kFileTypeOffset) == kBitmapFileType) {
    offBits = LoadU32(fileHeader + kOffBitsOffset);
  } else if (std::fseek(file, start, SEEK_SET) != 0) {
    return {};  // not "BM": a bare packed DIB from its first byte
  }

  uint8_t raw[kInfoHeaderSize] = {};
  const size_t got = std::fread(raw, 1, sizeof raw, file);
  if (got < kCoreHeaderSize) return {};
  const uint32_t headerSize = LoadU32(raw);
  BitmapInfoHeader header;
  bool core = false;
  if (headerSize == kCoreHeaderSize) {
    core = true;
    header.biWidth = LoadU16(raw + kCoreWidthOffset);
    header.biHeight = LoadU16(raw + kCoreHeightOffset);
    header.biPlanes = LoadU16(raw + kCorePlanesOffset);
    header.biBitCount = LoadU16(raw + kCoreBitCountOffset);
    header.biClrUsed = header.biClrImportant = ColourCount(header);
    // The colour table starts right behind the 12 bytes.
    if (std::fseek(file, static_cast<long>(got) * -1 + static_cast<long>(kCoreHeaderSize),
                   SEEK_CUR) != 0)
      return {};
  } else if (IsInfoHeaderSize(headerSize) && got == kInfoHeaderSize) {
    header = *LoadInfoHeader(raw);
    header.biSize = kInfoHeaderSize;
    // Later header versions extend the 40-byte one; their extra fields (colour masks, colour
    // spaces) only matter for bit-field pictures, which are not read.
    if (headerSize > kInfoHeaderSize &&
        std::fseek(file, static_cast<long>(headerSize - kInfoHeaderSize), SEEK_CUR) != 0)
      return {};
  } else {
    return {};
  }
  header = GetDibInfo(header);
  const uint32_t colours = ColourCount(header);
  if (!SupportedDepth(header.biBitCount) || colours > 256 ||
      (header.biBitCount < 24 && colours > (1u << header.biBitCount)))
    return {};

  Block block = NewBlock(kInfoHeaderSize + size_t{colours} * 4);
  StoreInfoHeader(header, *block);
  uint8_t* table = block->data() + kInfoHeaderSize;
  if (core) {
    if (std::fread(table, 1, size_t{colours} * 3, file) != size_t{colours} * 3) return {};
    // Widen 3-byte entries to 4 from the last to the first, so none is overwritten unread.
    for (uint32_t i = colours; i-- > 0;) {
      table[4 * i + 3] = 0;
      table[4 * i + 2] = table[3 * i + 2];
      table[4 * i + 1] = table[3 * i + 1];
      table[4 * i + 0] = table[3 * i + 0];
    }
  } else if (std::fread(table, 1, size_t{colours} * 4, file) != size_t{colours} * 4) {
    return {};
  }
  if (offBits != 0 && std::fseek(file, start + static_cast<long>(offBits), SEEK_SET) != 0)
    return {};
  return block;
}

namespace {

// The reader over an open file of `fileSize` bytes, positioned at its start.
BitmapReadResult ReadBitmap(std::FILE* file, uint64_t fileSize) {
  Block header = ReadDibHeader(file);
  if (!header) return {{}, BitmapReadError::NotBitmap};
  BitmapInfoHeader h = *LoadInfoHeader(*header);
  const long position = std::ftell(file);
  if (position < 0 || static_cast<uint64_t>(position) > fileSize)
    return {{}, BitmapReadError::NotBitmap};
  const uint64_t available = fileSize - static_cast<uint64_t>(position);

  const bool topDown = h.biHeight < 0;
  const uint64_t rows = topDown ? 0 - static_cast<uint64_t>(static_cast<int64_t>(h.biHeight))
                                : static_cast<uint64_t>(h.biHeight);
  if (h.biWidth <= 0 || rows == 0 || rows > INT32_MAX) return {{}, BitmapReadError::NotBitmap};
  const uint64_t rowLength = RowLength64(h.biBitCount, static_cast<uint32_t>(h.biWidth));
  uint64_t pixelBytes = 0;
  if (h.biCompression == kCompressionRgb) {
    // What the rows need, whatever biSizeImage claims.
    const auto rowBytes = CheckedMultiply(rowLength, rows);
    if (!rowBytes) return {{}, BitmapReadError::TooLarge};
    pixelBytes = *rowBytes;
  } else if ((h.biCompression == kCompressionRle8 && h.biBitCount == 8) ||
             (h.biCompression == kCompressionRle4 && h.biBitCount == 4)) {
    if (topDown) return {{}, BitmapReadError::NotBitmap};  // RLE bitmaps are bottom-up only
    pixelBytes = h.biSizeImage;
  } else {
    return {{}, BitmapReadError::NotBitmap};
  }
  // A header that claims more pixels than the file holds is refused before any allocation.
  if (pixelBytes > available) return {{}, BitmapReadError::ShortPixels};
  // One limit for the block read, for the picture an RLE file decodes to, and for the size the
  // header declares.
  if (!PictureBlockSize(1, pixelBytes, header->size()) || !UncompressedDibSize(h) ||
      h.biSizeImage > kPictureBlockLimit)
    return {{}, BitmapReadError::TooLarge};

  h.biHeight = static_cast<int32_t>(rows);
  h.biSizeImage = static_cast<uint32_t>(pixelBytes);
  const size_t tableEnd = header->size();
  header->resize(tableEnd + static_cast<size_t>(pixelBytes), 0);
  StoreInfoHeader(h, *header);
  uint8_t* pixels = header->data() + tableEnd;
  if (ReadLarge(file, pixels, static_cast<size_t>(pixelBytes)) != pixelBytes)
    return {{}, BitmapReadError::ShortPixels};
  if (topDown) {
    Bytes row(static_cast<size_t>(rowLength));
    for (uint64_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
      uint8_t* a = pixels + top * rowLength;
      uint8_t* b = pixels + bottom * rowLength;
      std::copy_n(a, rowLength, row.data());
      std::copy_n(b, rowLength, a);
      std::copy_n(row.data(), rowLength, b);
    }
  }
  return {header, BitmapReadError::None};
}

}  // namespace

BitmapReadResult ReadBitmapFile(const std::filesystem::path& path) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  struct stat info {};
  if (!file || ::fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode))
    return {{}, BitmapReadError::CannotOpen};
  return ReadBitmap(file.get(), static_cast<uint64_t>(info.st_size));
}

BitmapReadResult ReadBitmapBytes(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return {{}, BitmapReadError::NotBitmap};
  // The same reader over a stream on the bytes: it only reads them.
  FilePtr file(::fmemopen(const_cast<uint8_t*>(bytes.data()), bytes.size(), "rb"));
  if (!file) return {{}, BitmapReadError::CannotOpen};
  return ReadBitmap(file.get(), bytes.size());
}

Bytes EncodeBitmapFile(const Bytes& dib) {
  const BitmapInfoHeader h = *LoadInfoHeader(dib);
  Bytes file(kFileHeaderSize + dib.size());
  StoreU16(file.data() + kFileTypeOffset, kBitmapFileType);
  StoreU32(file.data() + kFileSizeOffset, static_cast<uint32_t>(file.size()));
  StoreU32(file.data() + kOffBitsOffset, PixelOffset(h) + kFileHeaderSize);
  std::copy(dib.begin(), dib.end(), file.begin() + kFileHeaderSize);
  return file;
}

bool WriteBitmapFile(const std::filesystem::path& path, const Bytes& dib) {
  if (dib.size() < kInfoHeaderSize || dib.size() > UINT32_MAX - kFileHeaderSize) return false;
  return WriteFileReplacing(path, EncodeBitmapFile(dib));
}

}  // namespace kestrel
