// kestrel-samples DIR: fills DIR with a camera file of every kind Kestrel reads, each an
// earth-like scene cut to its satellite's geometry and stored in its satellite's layout.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "camera_files.h"
#include "capture_times.h"
#include "codec/pair_encoder.h"
#include "codec/pair_format.h"
#include "platform/files.h"
#include "satfiles/repeated_blocks.h"
#include "terrain.h"
#include "tle_history.h"
#include "wisp_files.h"

namespace {

namespace fs = std::filesystem;
using samples::Band;
using samples::Bytes;
using samples::Picture;
using samples::Satellite;

// Ground distances between pixels, in world units.
constexpr double kWideStep = 0.004;
constexpr double kNarrowStep = 0.0009;
constexpr double kTmsatWideStep = 0.007;
constexpr double kSpectralStep = 0.0022;
constexpr double kVideoStep = 0.0016;

constexpr size_t kActHeaderLength = 95;
constexpr size_t kDarkReferenceColumns = 30;
constexpr size_t kSeamRow = 100;
constexpr size_t kTm4FrameSpacing = 384 * 288 + 29000;
constexpr size_t kTm5FrameCount = 10;
constexpr size_t kTm5FrameSpacing = 144 * 144;

class SampleWriter {
 public:
  explicit SampleWriter(fs::path dir) : dir_(std::move(dir)) {}

  void Write(const std::string& name, const Bytes& bytes) {
    std::error_code error;
    if (!kestrel::WriteFileReplacing(dir_ / name, bytes, error)) {
      std::fprintf(stderr, "kestrel-samples: %s: %s\n", (dir_ / name).c_str(),
                   error.message().c_str());
      failed_ = true;
      return;
    }
    std::printf("%-14s %8zu bytes\n", name.c_str(), bytes.size());
    written_.push_back(name);
  }
  bool failed() const { return failed_; }
  const std::vector<std::string>& written() const { return written_; }

 private:
  fs::path dir_;
  bool failed_ = false;
  std::vector<std::string> written_;
};

// The name of the `copy`th copy of a camera file: the first two of the last four digits before
// any dot become the copy's, so that pairs and sets, which share their numbers, stay pairs and
// sets. None for a name without four digits there.
std::optional<std::string> CopyName(const std::string& name, int copy) {
  const size_t stemEnd = std::min(name.find('.'), name.size());
  size_t first = stemEnd;
  while (first > 0 && name[first - 1] >= '0' && name[first - 1] <= '9') --first;
  if (stemEnd - first < 4) return std::nullopt;
  std::string renamed = name;
  renamed[stemEnd - 4] = static_cast<char>('0' + copy / 10);
  renamed[stemEnd - 3] = static_cast<char>('0' + copy % 10);
  return renamed;
}

// Makes the folder an archive of `copies` times the camera files, as a ground station's folder
// grows: further copies are hard links (copies where links cannot be made) under new numbers.
bool AddCopies(const fs::path& dir, const std::vector<std::string>& names, int copies) {
  bool whole = true;
  for (int copy = 1; copy < copies; ++copy) {
    for (const std::string& name : names) {
      const std::optional<std::string> renamed = CopyName(name, copy);
      std::error_code error;
      if (!renamed || fs::exists(dir / *renamed, error)) continue;
      fs::create_hard_link(dir / name, dir / *renamed, error);
      if (error) fs::copy_file(dir / name, dir / *renamed, error);
      if (error) {
        std::fprintf(stderr, "kestrel-samples: %s: %s\n", (dir / *renamed).c_str(), error.message().c_str());
        whole = false;
      }
    }
  }
  return whole;
}

// Where a picture is taken: a coast found near a starting point, at the camera's scale.
struct Shot {
  double x, y, step;
};

Shot Aim(double x, double y, double step) {
  samples::FindCoast(x, y, step);
  return {x, y, step};
}

uint32_t seedCounter = 1;

Picture Render(const Shot& shot, size_t width, size_t height, Band band = Band::Panchromatic) {
  const samples::View view = samples::CentredView(shot.x, shot.y, shot.step, width, height);
  return {width, height, samples::RenderScene(view, width, height, band, seedCounter++)};
}

// Rows of the same view beyond the picture's top (negative `firstRow`) or bottom.
Bytes RenderRows(const Shot& shot, size_t width, size_t height, std::ptrdiff_t firstRow,
                 size_t rows, Band band) {
  samples::View view = samples::CentredView(shot.x, shot.y, shot.step, width, height);
  view.top += static_cast<double>(firstRow) * shot.step;
  return samples::RenderScene(view, width, rows, band, seedCounter++);
}

// A picture from a camera whose first columns are dark reference pixels, which the loader trims.
Picture RenderTrimmed(const Shot& shot, size_t width, size_t height) {
  Picture picture = Render(shot, width, height);
  samples::AddDarkReference(picture, kDarkReferenceColumns);
  return picture;
}

double MeanOfRows(const Picture& picture, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from * picture.width; i < to * picture.width; ++i) sum += picture.pixels[i];
  return sum / static_cast<double>((to - from) * picture.width);
}

Bytes RawImage(uint32_t time, const Picture& picture, size_t gap) {
  return samples::Concat(samples::CameraHeader(time), samples::FieldBody(picture, gap));
}

Bytes Decoded(uint32_t time, const Picture& picture) {
  return samples::Concat(samples::SizedHeader(time, picture.width, picture.height), picture.pixels);
}

// A decoded picture and the thumbnail that came down with it.
void WriteDecodedPair(SampleWriter& out, const std::string& imageName,
                      const std::string& thumbnailName, uint32_t time, const Shot& shot,
                      size_t width, size_t height, bool trimmed) {
  const Picture picture = trimmed ? RenderTrimmed(shot, width, height) : Render(shot, width, height);
  out.Write(imageName, Decoded(time, picture));
  out.Write(thumbnailName, Decoded(time, samples::Thumbnail(picture)));
}

// A picture as it comes down compressed: the thumbnail and compressed file that the compressor
// makes of a picture of `size` taken as `sourceName`, from `pixels` in rows of `size.width`.
void WritePair(SampleWriter& out, const std::string& sourceName, uint32_t time, const Bytes& pixels,
               kestrel::PairSize size) {
  const kestrel::EncodedBlocks blocks = kestrel::EncodeBlocks(pixels, size.width, size, [] {});
  const kestrel::CompressorNames names = kestrel::CompressorNamesFor(sourceName);
  const size_t timeOffset =
      sourceName.starts_with("TM") ? samples::kTmsatCaptureTimeOffset : samples::kCaptureTimeOffset;
  const Bytes thumbnailHeader = samples::SizedHeader(time, size.width / 4u, size.height / 4u, timeOffset);
  const Bytes compressedHeader = samples::SizedHeader(time, size.width, size.height, timeOffset);
  out.Write(names.thumbnail, samples::Concat(thumbnailHeader, blocks.thumbnail));
  out.Write(names.compressed, samples::Concat(samples::Concat(compressedHeader, blocks.map), blocks.records));
}

// The pair of a camera picture whose loaded rows are `width` x `height` pixels.
void WriteCompressedPicture(SampleWriter& out, const std::string& sourceName, uint32_t time,
                            const Shot& shot, uint16_t width, uint16_t height) {
  const kestrel::PairSize size = kestrel::CompressedSizeFor(sourceName, width, height);
  WritePair(out, sourceName, time, Render(shot, size.width, size.height).pixels, size);
}

void WriteUosat(SampleWriter& out) {
  const uint32_t time = samples::SampleCaptureTime(Satellite::Uosat5);
  // A raw download whose downlink repeated some blocks, and a tired CCD's hot pixels.
  Picture wide = RenderTrimmed(Aim(3.0, 1.0, kWideStep), 611, 576);
  samples::AddHotPixels(wide, 60, 77);
  const Bytes image = RawImage(time, wide, 355);
  // Late in the second field, so that even the uncleaned file shows the scene.
  const Bytes raw = samples::WithRepeatedBlocks(image, {{2900, 0}, {3050, 5}, {3180, 8}});
  if (kestrel::DropRepeatedBlocks(raw) != image) std::fprintf(stderr, "kestrel-samples: U5IW0001 repeats do not clean\n");
  out.Write("U5IW0001", raw);

  Picture older = RenderTrimmed(Aim(-6.0, 4.0, kWideStep), 611, 576);
  samples::AddHotPixels(older, 40, 78);
  out.Write("IM000123", RawImage(time + 6060, older, 355));
  WriteDecodedPair(out, "U5DW0004", "U5TW0004", time + 600, Aim(9.0, -3.0, kWideStep), 608, 576, true);
  WriteDecodedPair(out, "IMD00125", "IMT00125", time + 1200, Aim(-2.0, -8.0, kWideStep), 608, 576, true);
  out.Write("U5E00005", samples::FieldBody(Render(Aim(14.0, 6.0, kWideStep), 611, 576), 0));
  WriteCompressedPicture(out, "U5IW0012.CCD", time + 1800, Aim(6.0, -15.0, kWideStep), 612, 576);
}

void WriteKitsat1(SampleWriter& out) {
  const uint32_t time = samples::SampleCaptureTime(Satellite::Kitsat1);
  // The top of the picture came down in another pass, brighter: a seam for the repair. The
  // repair measures the seam against the whole picture's mean, so the scene is one whose top
  // rows are about as bright as the whole, and not so bright that the seam saturates.
  Picture seamed;
  for (double x = 21.0; x < 80.0; x += 3.0) {
    seamed = RenderTrimmed(Aim(x, -4.0, kWideStep), 611, 576);
    const double top = MeanOfRows(seamed, 0, kSeamRow);
    const double atSeam = MeanOfRows(seamed, kSeamRow - 4, kSeamRow + 4);
    if (std::abs(top - MeanOfRows(seamed, 0, seamed.height)) < 3 && atSeam < 180) break;
  }
  samples::AddSeam(seamed, kSeamRow, 18);
  out.Write("KAIW0002", RawImage(time, seamed, 355));
  out.Write("KAIN0003",
            RawImage(time + 300, RenderTrimmed(Aim(24.0, 9.0, kNarrowStep), 611, 576), 355));
  WriteDecodedPair(out, "KADW0006", "KATW0006", time + 900, Aim(-12.0, 12.0, kWideStep), 608, 576, true);
  out.Write("KAE00007", samples::FieldBody(Render(Aim(30.0, 2.0, kWideStep), 611, 576), 0));
  WriteCompressedPicture(out, "KAIN0013.CCD", time + 1500, Aim(27.0, -12.0, kNarrowStep), 612, 576);
}

void WriteKitsat2(SampleWriter& out) {
  const uint32_t time = samples::SampleCaptureTime(Satellite::Kitsat2);
  out.Write("KBIW0008", RawImage(time, Render(Aim(-18.0, -6.0, kWideStep), 511, 502), 0));
  out.Write("KBIN0009",
            RawImage(time + 60, RenderTrimmed(Aim(-20.0, 8.0, kNarrowStep), 611, 576), 355));
  WriteDecodedPair(out, "KBDW0008", "KBTW0008", time + 600, Aim(-25.0, -14.0, kWideStep), 512, 496, false);
  WriteDecodedPair(out, "KBDN0009", "KBTN0009", time + 660, Aim(-27.0, 15.0, kNarrowStep), 608, 576, true);
  out.Write("KBE00010", samples::FieldBody(Render(Aim(-31.0, 1.0, kWideStep), 611, 576), 0));
  WriteCompressedPicture(out, "KBIW0014.CCD", time + 1200, Aim(-34.0, -10.0, kWideStep), 512, 500);
}

void WritePosat(SampleWriter& out) {
  const uint32_t time = samples::SampleCaptureTime(Satellite::Posat1);
  WriteDecodedPair(out, "P1D00011", "P1TW0011", time, Aim(36.0, -9.0, kWideStep), 576, 560, false);
  WriteCompressedPicture(out, "P1DW0015.CCD", time + 600, Aim(39.0, 5.0, kWideStep), 576, 560);
}

// The three planes of a `side` x `side` colour set, stored so that the set reader's fixed
// registration for that side (plane 1 placed `planeOneOffset` bytes in, plane 3 moved back
// `planeThreeBack` bytes) and its half turn of plane 2 line them up.
std::array<Bytes, 3> ColourSetPlanes(const Shot& shot, size_t side, std::ptrdiff_t planeOneOffset,
                                     std::ptrdiff_t planeThreeBack) {
  const auto rowsFor = [side](std::ptrdiff_t bytes) {
    return static_cast<size_t>(bytes) / side + 1;
  };
  const Picture infrared = Render(shot, side, side, Band::NearInfrared);
  const Bytes belowInfrared =
      RenderRows(shot, side, side, static_cast<std::ptrdiff_t>(side), rowsFor(planeOneOffset), Band::NearInfrared);
  const Picture green = Render(shot, side, side, Band::VisibleGreen);
  const size_t aboveRows = rowsFor(planeThreeBack);
  Bytes aboveGreen = RenderRows(shot, side, side, -static_cast<std::ptrdiff_t>(aboveRows), aboveRows,
                                Band::VisibleGreen);
  std::reverse(aboveGreen.begin(), aboveGreen.end());  // nearest the picture first
  return {samples::Shifted(infrared.pixels, belowInfrared, planeOneOffset),
          samples::HalfTurn(Render(shot, side, side, Band::VisibleRed)).pixels,
          samples::Shifted(green.pixels, aboveGreen, -planeThreeBack)};
}

void WriteColourSet(SampleWriter& out, const std::string& digits) {
  const auto planes = ColourSetPlanes(Aim(42.0, 18.0, kSpectralStep), 1020, 3, 14242);
  for (size_t k = 0; k < 3; ++k) out.Write("TM" + std::to_string(k + 1) + digits + ".IMI", planes[k]);
}

// A colour set as it comes down compressed: each plane a thumbnail and a compressed file. The
// planes are 1024 x 1024, the size the decoder rebuilds, stored for that size's registration.
void WriteCompressedColourSet(SampleWriter& out, const std::string& digits) {
  const uint16_t side = 1024;
  const auto planes = ColourSetPlanes(Aim(-30.0, -35.0, kSpectralStep), side, 5126, 9175);
  for (size_t k = 0; k < 3; ++k)
    WritePair(out, "TM" + std::to_string(k + 1) + digits + ".IMI", 0, planes[k], {side, side});
}

void WriteTmsat(SampleWriter& out) {
  const Shot wide = Aim(50.0, -20.0, kTmsatWideStep);
  out.Write("TM000100.IMI", samples::WideAngleBody(Render(wide, 611, 576)));
  out.Write("TM000100.IMT", Render({wide.x, wide.y, wide.step * 4.2}, 141, 145).pixels);
  WriteCompressedPicture(out, "TM000700.IMI", samples::SampleCaptureTime(Satellite::Tmsat1),
                         Aim(46.0, -28.0, kTmsatWideStep), 612, 576);
  WriteColourSet(out, "00200");
  WriteCompressedColourSet(out, "00600");
  // A plane whose siblings never came down loads as a grey picture of its own.
  const Shot lone = Aim(-40.0, -25.0, kSpectralStep);
  const Picture plane = Render(lone, 1020, 1020, Band::NearInfrared);
  out.Write("TM100300.IMI",
            samples::Shifted(plane.pixels, RenderRows(lone, 1020, 1020, 1020, 1, Band::NearInfrared), 3));

  // Video: the ground drifting through the frame as the satellite passes.
  const Shot pass = Aim(58.0, 7.0, kVideoStep);
  std::vector<Picture> frames;
  for (int k = 0; k < 8; ++k) frames.push_back(Render({pass.x, pass.y + k * 40 * pass.step, pass.step}, 382, 287));
  out.Write("TM400400.IMI", samples::SeparatedFrames(frames, kTm4FrameSpacing));
  const Shot close = Aim(-55.0, 30.0, kVideoStep);
  std::vector<Picture> small;
  for (int k = 0; k <= static_cast<int>(kTm5FrameCount); ++k)
    small.push_back(Render({close.x + k * 12 * close.step, close.y, close.step}, 141, 141));
  out.Write("TM500500.IMI", samples::ContiguousFrames(small, kTm5FrameCount * kTm5FrameSpacing));
}

void WriteKeywordFiles(SampleWriter& out) {
  out.Write("SPECIAL1", Render(Aim(64.0, -33.0, kSpectralStep), 1020, 1020).pixels);
  out.Write("TOPAZ001", Render(Aim(-64.0, -2.0, kSpectralStep), 1008, 1024).pixels);
  out.Write("THUMB001", Render(Aim(70.0, 40.0, kWideStep * 2.4), 252, 256).pixels);
}

// Raw downloads for the five Preview ACT layouts.
void WriteActDownloads(SampleWriter& out) {
  const Bytes header(kActHeaderLength, 0);
  const auto act = [&](const std::string& name, const Bytes& body) {
    out.Write(name, samples::Concat(header, body));
  };
  act("U5IW0021.ACT", samples::FieldBody(Render(Aim(-70.0, 12.0, kWideStep), 611, 576), 355));
  act("KAIW0022.ACT", samples::FieldBody(Render(Aim(75.0, -15.0, kWideStep), 611, 576), 355));
  act("KBIW0023.ACT", samples::FieldBody(Render(Aim(-78.0, -30.0, kWideStep), 511, 502), 0));
  act("TM100024.ACT", Render(Aim(82.0, 22.0, kSpectralStep), 1020, 1020, Band::NearInfrared).pixels);
  act("TM000025.ACT", samples::FieldBody(Render(Aim(-85.0, 35.0, kTmsatWideStep), 611, 576), 0));
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Fills DIR with a camera file of every kind Kestrel reads.", "kestrel-samples"};
  app.set_version_flag("--version", KESTREL_VERSION);
  std::string folder;
  int copies = 1;
  app.add_option("DIR", folder, "the folder to fill, made when missing")->required();
  app.add_option("--copies", copies, "as many copies of each camera file, under new numbers")
      ->check(CLI::Range(1, 99));
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? 0 : 2;
  }
  const fs::path dir = fs::absolute(folder);
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (!fs::is_directory(dir)) {
    std::fprintf(stderr, "kestrel-samples: cannot make the folder %s\n", dir.c_str());
    return 1;
  }
  SampleWriter out(dir);
  WriteUosat(out);
  WriteKitsat1(out);
  WriteKitsat2(out);
  WritePosat(out);
  WriteTmsat(out);
  WriteKeywordFiles(out);
  WriteActDownloads(out);
  const bool wispFilesWritten = samples::WriteWispFiles(dir);
  const bool historyWritten = samples::WriteTwoLineElementHistory(dir);
  const bool copiesMade = AddCopies(dir, out.written(), copies);
  return out.failed() || !wispFilesWritten || !historyWritten || !copiesMade ? 1 : 0;
}
