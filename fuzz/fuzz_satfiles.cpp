// Identification and loading of satellite files with fuzzed names and contents, from memory:
// the first bytes choose a name, a route (the loader, or a Preview ACT layout) and a picture
// size; the rest is the file, which the repeated-block cleaner also meets.
//
// Pictures stay small: the loader runs the same code at any size, and under the sanitizers
// every byte of a picture costs each of its kernels tens of nanoseconds. A camera file gets a
// 256-byte header in front that gives its size, as decoded files carry one; a download is
// previewed in a preset's layout shrunk to that size, its body sized to match.

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/scripted_platform.h"
#include "satfiles/act_preview.h"
#include "satfiles/identification.h"
#include "satfiles/repeated_blocks.h"
#include "satfiles/single_image.h"
#include "session/session.h"

namespace {

using namespace kestrel;

// Names of every kind, and some that are none.
constexpr std::array<std::string_view, 40> kNames{
    "U5IW0123", "IM000123", "KAIW0001", "KAIN0001", "KBIN0042", "IMT00123", "KBTN0001",
    "U5TW0001", "KAT00001", "KBTW0001", "TM500001.IMI", "P1TW0001", "U5E00001", "KAE00001",
    "KBE00001", "KBIW0001", "P1D00001", "KBDW0001", "IMD00123", "U5DW0001", "KAD00001",
    "TM112345.IMI", "TM212345.IMI", "TM000100.IMI", "TM012345.IMT", "TM400001.IMI",
    "SPECIAL1", "TOPAZ001", "THUMB001", "TM112345.IMT", "XSPECIAL", "A", "U5", "KBI",
    "P1C00123.CCD", "PICTURE.BMP", "IM000123.ACT", "TM112345.IMC", "TM0D0042.IMW", "u5iw0001.ccd"};

constexpr size_t kChoiceBytes = 4;  // name, flags, width, height

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kChoiceBytes) return 0;
  const uint8_t choice = data[0];
  const uint8_t flags = data[1];
  // Rows of up to 24 pixels, up to 64 of them: enough for both fields past a field gap, and
  // for a brightness jump (of more than 4096 in a row's sum) away from the top and bottom rows.
  const auto width = static_cast<uint16_t>(data[2] % 24 + 1);
  const auto height = static_cast<uint16_t>(data[3] % 64 + 1);
  const std::span<const uint8_t> body(data + kChoiceBytes, size - kChoiceBytes);
  std::string name(kNames[choice % kNames.size()]);
  // Now and then a name made of the input itself: short, odd, any case.
  if (choice >= 240 && !body.empty())
    name.assign(reinterpret_cast<const char*>(body.data()), std::min<size_t>(body[0] % 12, body.size()));
  const bool download = flags & 2;
  Bytes bytes;
  if (!download) {
    bytes.assign(kCameraHeaderLength, 0);
    StoreU16(bytes.data() + 251, width);
    StoreU16(bytes.data() + 253, height);
  }
  bytes.insert(bytes.end(), body.begin(), body.end());
  const auto contents = std::make_shared<const Bytes>(std::move(bytes));
  // Now and then no file at all.
  const auto file = flags & 0x80 ? nullptr : contents;

  ScriptedPlatform platform;
  Session session(platform, ".");
  session.state.currentFilePath = name;
  session.state.processing.compressionDone = flags & 1;
  if (download) {
    ActLayout layout = LayoutOf(static_cast<ActPreset>((flags >> 2) % 5));
    layout.width = width;
    layout.height = height;
    layout.bodySize = size_t{width} * height;
    PreviewActDownload(session, layout, file);
  } else {
    IdentifyImageBytes(session, *contents);
    LoadSingleImage(session, file);
  }
  // The copies beside a loaded picture come out whole.
  if (session.state.topDownCopy && session.state.topDownCopy->empty()) __builtin_trap();
  if (session.state.imageAdjustOriginal &&
      *session.state.imageAdjustOriginal != *session.state.loadedImage)
    __builtin_trap();
  if (flags & 0x40) DropRepeatedBlocks(*contents);
  return 0;
}
