// Any file opened from outside the program, from memory: a bitmap file or a camera file made
// the picture on show, then that picture saved at every depth a bitmap file can hold. Nothing
// may read or write out of bounds; a refused file leaves nothing on show.
//
// Files that begin as a bitmap does are read as one; anything else is loaded as the camera
// file that its first byte picks from a list of names.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "bitmap/bitmap_file.h"
#include "platform/scripted_platform.h"
#include "satfiles/identification.h"
#include "satfiles/single_image.h"
#include "session/current_image.h"
#include "session/session.h"

namespace {

using namespace kestrel;

constexpr std::array<std::string_view, 12> kCameraNames{
    "U5IW0001.CCD", "KBIW0001.CCD", "U5DW0001.CCD", "IMT00123.CCD", "TM000100.IMI", "TM112345.IMI",
    "TM012345.IMT", "SPECIAL1",     "THUMB001",     "KBE00001",     "P1TW0001.CCD", "TM112345.IMC"};

// Every depth that Save Bmp offers. Plain 4 and 8 bits are the first half of RLE 4 and RLE 8,
// the very same conversion, so those stand for them.
constexpr std::array<std::pair<uint32_t, uint16_t>, 4> kSaveFormats{{{kCompressionRgb, 1},
                                                                     {kCompressionRgb, 24},
                                                                     {kCompressionRle4, 4},
                                                                     {kCompressionRle8, 8}}};
// As in fuzz_bitmap, but lower, for each picture here goes through four conversions: larger
// pictures are read, not shown or converted, for under the sanitizers every pixel costs each
// pass a fraction of a microsecond, and an RLE picture on show is decoded into a block of its
// full size. A 256-pixel row still meets the longest RLE run. Camera files likewise: one is
// loaded only when its name, or the size at bytes 251..254, gives a picture within the limit.
constexpr uint64_t kConvertedPixelLimit = uint64_t{1} << 8;

uint64_t PixelCount(const BitmapInfoHeader& header) {
  return uint64_t{static_cast<uint32_t>(header.biWidth)} * static_cast<uint32_t>(header.biHeight);
}

bool LooksLikeBitmap(std::span<const uint8_t> file) {
  return (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') ||
         (file.size() >= 4 &&
          (LoadU32(file.data()) == kInfoHeaderSize || LoadU32(file.data()) == kCoreHeaderSize));
}

bool Show(Session& session, std::span<const uint8_t> file) {
  if (LooksLikeBitmap(file)) {
    BitmapReadResult read = ReadBitmapBytes(file);
    return read.dib && PixelCount(*LoadInfoHeader(*read.dib)) <= kConvertedPixelLimit &&
           SetCurrentImage(session, std::move(read.dib));
  }
  session.state.currentFilePath = kCameraNames[file.empty() ? 0 : file[0] % kCameraNames.size()];
  IdentifyImageBytes(session, file);
  const IdentificationRecord& id = session.state.identification;
  if (uint64_t{id.fileWidth} * id.fileHeight > kConvertedPixelLimit) return false;
  const Block loaded =
      LoadSingleImage(session, std::make_shared<const Bytes>(file.begin(), file.end()));
  return loaded && SetCurrentImage(session, loaded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScriptedPlatform platform;
  Session session(platform, ".");
  if (!Show(session, std::span(data, size))) {
    if (session.state.current.imageDisplayable) __builtin_trap();
    return 0;
  }
  if (PixelCount(*LoadInfoHeader(*session.state.current.currentDib)) > kConvertedPixelLimit)
    return 0;
  for (const auto& [compression, bitCount] : kSaveFormats) {
    const Block saved = ConvertDibFormat(session, compression, bitCount);
    if (!saved) continue;  // a depth beyond the picture limit has no copy
    if (!IsWellFormedDib(*saved)) __builtin_trap();
    const Bytes encoded = EncodeBitmapFile(*saved);
    if (encoded.size() != kFileHeaderSize + saved->size()) __builtin_trap();
  }
  return 0;
}
