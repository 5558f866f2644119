// Identification and loading of satellite files with fuzzed names and contents, from memory:
// the first bytes choose a name and a route (the loader, or a Preview ACT preset), the rest
// is the file, which the repeated-block cleaner also meets.

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

// Names of every kind, and some that are none.
constexpr std::array<std::string_view, 40> kNames{
    "U5IW0123", "IM000123", "KAIW0001", "KAIN0001", "KBIN0042", "IMT00123", "KBTN0001",
    "U5TW0001", "KAT00001", "KBTW0001", "TM500001.IMI", "P1TW0001", "U5E00001", "KAE00001",
    "KBE00001", "KBIW0001", "P1D00001", "KBDW0001", "IMD00123", "U5DW0001", "KAD00001",
    "TM112345.IMI", "TM212345.IMI", "TM000100.IMI", "TM012345.IMT", "TM400001.IMI",
    "SPECIAL1", "TOPAZ001", "THUMB001", "TM112345.IMT", "XSPECIAL", "A", "U5", "KBI",
    "P1C00123.CCD", "PICTURE.BMP", "IM000123.ACT", "TM112345.IMC", "TM0D0042.IMW", "u5iw0001.ccd"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t choice = data[0];
  const uint8_t flags = data[1];
  std::string name(kNames[choice % kNames.size()]);
  // Now and then a name made of the input itself: short, odd, any case.
  if (choice >= 240 && size > 4)
    name.assign(reinterpret_cast<const char*>(data + 2), std::min<size_t>(data[2] % 12, size - 3));
  const std::span<const uint8_t> bytes(data + 2, size - 2);
  // Now and then no file at all.
  const auto file = flags & 0x80 ? nullptr : std::make_shared<const kestrel::Bytes>(bytes.begin(), bytes.end());

  kestrel::ScriptedPlatform platform;
  kestrel::Session session(platform, ".");
  session.state.currentFilePath = name;
  session.state.processing.compressionDone = flags & 1;
  if (flags & 2) {
    kestrel::PreviewActDownload(session, static_cast<kestrel::ActPreset>((flags >> 2) % 5), file);
  } else if (kestrel::IdentifyImageFile(session)) {
    kestrel::LoadSingleImage(session, file);
  }
  // The copies beside a loaded picture come out whole.
  if (session.state.topDownCopy && session.state.topDownCopy->empty()) __builtin_trap();
  if (session.state.imageAdjustOriginal &&
      *session.state.imageAdjustOriginal != *session.state.loadedImage)
    __builtin_trap();
  if (flags & 0x40) kestrel::DropRepeatedBlocks(bytes);
  return 0;
}
