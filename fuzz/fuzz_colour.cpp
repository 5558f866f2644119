// Colour sets and video through the open path, then the colour commands on what came of them.
// The first byte chooses the route and the commands, the next two the planes' width and height
// (carried in their headers as decoded planes carry them); the rest is the planes' pixels or
// the video file.

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/command_ids.h"
#include "fuzz_folder.h"
#include "platform/scripted_platform.h"
#include "processing/image_commands.h"
#include "satfiles/identification.h"
#include "satfiles/video.h"
#include "session/session.h"
#include "shell/open_file.h"

namespace {

namespace fs = std::filesystem;


void Write(const fs::path& file, const uint8_t* data, size_t size) {
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Three planes of `width` x `height` behind a 256-byte header that gives their size; the
// flags may cut one short.
void WritePlanes(const fs::path& dir, uint8_t flags, uint16_t width, uint16_t height,
                 const uint8_t* pixels, size_t count) {
  kestrel::Bytes plane(256 + size_t{width} * height, 0);
  kestrel::StoreU16(plane.data() + 251, width);
  kestrel::StoreU16(plane.data() + 253, height);
  for (size_t k = 0; k < 3; ++k) {
    for (size_t i = 256; i < plane.size() && count > 0; ++i) plane[i] = pixels[(i + 97 * k) % count];
    const size_t size = (flags & 8) && k == 2 ? plane.size() / 2 : plane.size();
    Write(dir / ("TM" + std::to_string(k + 1) + "00001.IMI"), plane.data(), size);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t flags = data[0];
  const fs::path& dir = kestrel::fuzz::EmptiedFolder("colour");

  kestrel::ScriptedPlatform platform;
  kestrel::Session session(platform, dir);
  session.sendCommand = [&](int command, int parameter) {
    int result = 1;
    kestrel::RunImageCommand(session, command, parameter, result);
    return result;
  };
  if (flags & 1) {
    // A video file: TM4 frames are scanned for, TM5 frames follow one another.
    const std::string name = flags & 2 ? "TM400001.IMI" : "TM500001.IMI";
    Write(dir / name, data + 1, size - 1);
    session.state.currentFilePath = name;
    if (kestrel::IdentifyImageFile(session)) kestrel::PlayTmsatVideo(session, name);
    return 0;
  }
  // Small planes keep every run quick; the loader meets the same code at any size.
  const auto width = static_cast<uint16_t>(data[1] % 64 + 1);
  const auto height = static_cast<uint16_t>(data[2] % 64 + 1);
  WritePlanes(dir, flags, width, height, data + 3, size - 3);
  if (kestrel::OpenFromOutside(session, dir / "TM100001.IMI", true) != kestrel::OpenResult::Shown)
    return 0;
  constexpr std::array<int, 8> kCommands{
      kestrel::kCmdColourClockwise, kestrel::kCmdPlaneLeft5,     kestrel::kCmdColourRefresh,
      kestrel::kCmdSharpenHiDef,    kestrel::kCmdColourLighten, kestrel::kCmdPlaneUp1,
      kestrel::kCmdColourRestore,   kestrel::kCmdCompEachPlane};
  session.state.planes = {.ir = (flags & 16) != 0, .red = (flags & 32) != 0, .green = (flags & 64) != 0,
                          .all = (flags & 128) != 0};
  for (size_t i = 0; i < kCommands.size(); ++i)
    if ((flags >> (i % 7)) & 1 || i == 2) kestrel::SendCommand(session, kCommands[i]);
  return 0;
}
