// Colour sets from memory, then the colour commands on what came of them. The first byte holds
// flags, the next two the width and height of the planes (carried in a header as decoded files
// carry them), the fourth two commands; the rest is the planes' pixels.

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "base/command_ids.h"
#include "platform/scripted_platform.h"
#include "processing/image_commands.h"
#include "satfiles/open_flows.h"
#include "satfiles/single_image.h"
#include "session/current_image.h"
#include "satfiles/identification.h"
#include "session/session.h"

namespace {

using namespace kestrel;

const std::array<std::string, 3> kPlaneNames{"TM100001.IMI", "TM200001.IMI", "TM300001.IMI"};

// A zero-filled file of a 256-byte header that gives a picture size, as decoded files carry
// one, and `body` bytes.
Bytes WithSizeHeader(uint16_t width, uint16_t height, size_t body) {
  Bytes file(kCameraHeaderLength + body, 0);
  StoreU16(file.data() + 251, width);
  StoreU16(file.data() + 253, height);
  return file;
}

// Three planes of `width` x `height` behind a header that gives their size; the flags may cut
// the third short.
std::array<Bytes, 3> Planes(uint8_t flags, uint16_t width, uint16_t height,
                            std::span<const uint8_t> pixels) {
  std::array<Bytes, 3> planes;
  for (size_t k = 0; k < 3; ++k) {
    Bytes& plane = planes[k];
    plane = WithSizeHeader(width, height, size_t{width} * height);
    for (size_t i = kCameraHeaderLength; i < plane.size() && !pixels.empty(); ++i)
      plane[i] = pixels[(i + 97 * k) % pixels.size()];
    if ((flags & 8) && k == 2) plane.resize(plane.size() / 2);
  }
  return planes;
}

// The set composed as the open flow composes it when all three planes have the size the
// record expects (or, now and then, whatever their sizes), else plane 1 shown alone.
bool Show(Session& session, uint8_t flags, const std::array<Bytes, 3>& planes) {
  session.state.currentFilePath = kPlaneNames[0];
  IdentifyImageBytes(session, planes[0]);
  const uint64_t expected = session.state.identification.ExpectedFileSize();
  const bool complete = planes[2].size() == expected;
  if (complete || (flags & 4))
    return ComposeColourSet(session, kPlaneNames, {planes[0], planes[1], planes[2]});
  const Block loaded = LoadSingleImage(session, std::make_shared<const Bytes>(planes[0]));
  return loaded && SetCurrentImage(session, loaded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint8_t flags = data[0];
  // Small planes keep every run quick: each command passes over every pixel, at a fraction of
  // a microsecond each under the sanitizers; fuzz_spectral takes larger ones.
  const auto width = static_cast<uint16_t>(data[1] % 16 + 1);
  const auto height = static_cast<uint16_t>(data[2] % 16 + 1);
  const uint8_t commands = data[3];
  const std::span<const uint8_t> rest(data + 4, size - 4);
  ScriptedPlatform platform;
  Session session(platform, ".");
  session.sendCommand = [&](int command, int parameter) {
    int result = 1;
    RunImageCommand(session, command, parameter, result);
    return result;
  };
  if (!Show(session, flags, Planes(flags, width, height, rest))) return 0;
  constexpr std::array<int, 8> kCommands{kCmdColourClockwise, kCmdPlaneLeft5,     kCmdColourRefresh,
                                         kCmdSharpenHiDef,    kCmdColourLighten,  kCmdPlaneUp1,
                                         kCmdColourRestore,   kCmdCompEachPlane};
  session.state.planes = {.ir = (flags & 16) != 0, .red = (flags & 32) != 0, .green = (flags & 64) != 0,
                          .all = (flags & 128) != 0};
  // Two commands a run: each passes over the whole block of the set at least once.
  SendCommand(session, kCommands[commands % kCommands.size()]);
  SendCommand(session, kCommands[commands / kCommands.size() % kCommands.size()]);
  return 0;
}
