#include "satfiles/spectral_set.h"

#include <algorithm>
#include <cstring>

#include "bitmap/dib.h"
#include "platform/files.h"
#include "satfiles/compressed_file_advice.h"
#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

constexpr size_t kCorruptFileSlack = 8192;

void AddStatistics(const uint8_t* plane, size_t count, PlaneStatistics& statistics,
                   size_t byteIndex) {
  uint64_t sum = 0, zeros = 0, fulls = 0;
  for (size_t i = 0; i < count; ++i) {
    sum += plane[i];
    zeros += plane[i] == 0;
    fulls += plane[i] == 255;
  }
  statistics.sums[byteIndex] += sum;
  statistics.zeroBytes += zeros;
  statistics.fullBytes += fulls;
}

}  // namespace

CanvasGeometry CanvasFor(uint16_t width, uint16_t height, bool thumbnail) {
  const uint32_t w4 = thumbnail ? width : (uint32_t{width} + 3) / 4 * 4;
  const uint32_t h4 = height / 4u * 4;
  const uint32_t margin = w4 / 100 * 10;
  return {width, height, w4, h4, margin, std::max(w4, h4) + 2 * margin};
}

Registration RegistrationFor(uint16_t height) {
  switch (height) {
    case 1024: return {5126, 0, 9175};
    case 1020: return {3, 0, 14242};
    case 1008: return {3, 13109, 25174};
    case 256: return {3, 6, 500};
    default: return {3, 0, 0};
  }
}

void MoveBack(std::span<uint8_t> buffer, size_t back) {
  if (back == 0 || buffer.empty()) return;  // an empty buffer has no bytes to hand memmove
  back = std::min(back, buffer.size());
  std::memmove(buffer.data(), buffer.data() + back, buffer.size() - back);
  std::fill(buffer.end() - static_cast<std::ptrdiff_t>(back), buffer.end(), uint8_t{0});
}

std::optional<ComposedSet> ComposeSpectralSet(const std::array<std::span<const uint8_t>, 3>& planes,
                                              const CanvasGeometry& canvas, uint64_t planeSize) {
  const size_t width = canvas.width, height = canvas.height;
  const size_t side = canvas.side, margin = canvas.margin;
  for (const auto& plane : planes)
    if (plane.size() < width * height) return std::nullopt;
  const uint64_t sizeImage = 3 * uint64_t{side} * side + 6 * uint64_t{side} * margin;
  if (!PictureBlockSize(1, sizeImage, kInfoHeaderSize + 3 * 4096)) return std::nullopt;
  ComposedSet set;
  set.dib = NewBlock(LoaderBlockSize(static_cast<size_t>(sizeImage) + kInfoHeaderSize));
  BitmapInfoHeader header;
  header.biWidth = static_cast<int32_t>(side);
  header.biHeight = static_cast<int32_t>(side);
  header.biBitCount = 24;
  header.biSizeImage = static_cast<uint32_t>(sizeImage);
  StoreInfoHeader(header, *set.dib);

  uint8_t* pixels = set.dib->data() + kInfoHeaderSize;
  const size_t rowBytes = 3 * side, canvasRows = side + 2 * margin;
  for (size_t r = 0; r < height; ++r) {
    const size_t canvasRow = margin + height - 1 - r;
    if (canvasRow >= canvasRows) continue;  // only when the margin is too narrow to hold it
    uint8_t* out = pixels + canvasRow * rowBytes + 3 * margin;
    const uint8_t* one = planes[0].data() + r * width;
    const uint8_t* two = planes[1].data() + r * width;
    const uint8_t* three = planes[2].data() + r * width;
    for (size_t x = 0; x < width; ++x) {
      out[3 * x] = three[x];
      out[3 * x + 1] = two[x];
      out[3 * x + 2] = one[x];
    }
  }
  // Plane 1 lies in byte 2, plane 2 in byte 1, plane 3 in byte 0.
  for (size_t k = 0; k < 3; ++k) AddStatistics(planes[k].data(), width * height, set.statistics, 2 - k);
  set.statistics.planeSize = planeSize;
  return set;
}

namespace {

// The load itself: `sizeOf(k)` gives the size of plane file k (none when it cannot be opened),
// `read(k, count)` up to its first `count` bytes.
template <typename SizeOf, typename Read>
Block Load(Session& session, const std::array<std::string, 3>& names, const SizeOf& sizeOf,
           const Read& read) {
  ImageState& s = session.state;
  if (!CompressedFileAdvice(session, s.currentFilePath)) return {};
  FreeCurrentImage(session);
  s.fileHeaderBuffer.fill(0);
  s.processing.darkenAvailable = s.processing.lightenAvailable = false;
  s.imageAverage = 0;
  const IdentificationRecord& id = s.identification;

  std::array<uint64_t, 3> sizes{};
  for (size_t k = 0; k < 3; ++k) {
    const std::optional<uint64_t> size = sizeOf(k);
    if (!size) return ShowErrorBox(session, "Can't open file %s", names[k].c_str()), Block{};
    sizes[k] = *size;
  }
  const uint64_t expected = id.ExpectedFileSize();
  const bool corrupt = std::any_of(sizes.begin(), sizes.end(),
                                   [&](uint64_t size) { return size != expected; });
  if (corrupt)
    ShowMessage(session, "This Image remains corrupted\n    after being processed",
                "Image Corruption Error");

  const CanvasGeometry canvas = CanvasFor(id.fileWidth, id.fileHeight, id.thumbnail);
  s.identification.storedWidth = static_cast<uint16_t>(canvas.storedWidth);
  s.identification.storedHeight = static_cast<uint16_t>(canvas.storedHeight);
  // The divisor of the statistics: the body of plane 1 as the buffers are sized for it.
  const uint64_t body = sizes[0] + (corrupt ? kCorruptFileSlack : 0) +
                        uint64_t{canvas.storedWidth - id.fileWidth} * id.fileHeight;
  const uint64_t planeSize = body > id.headerLength ? body - id.headerLength : 0;
  const Registration registration = RegistrationFor(id.fileHeight);
  const uint64_t placed = uint64_t{id.fileWidth} * id.fileHeight;
  const uint64_t bufferSize = LoaderBlockSize(static_cast<size_t>(
      std::max<uint64_t>(planeSize, placed + registration.planeOneOffset)));
  if (!PictureBlockSize(3, bufferSize))
    return ShowPictureTooLarge(session, s.currentFilePath), Block{};

  std::array<Bytes, 3> buffers;
  for (size_t k = 0; k < 3; ++k) {
    const size_t offset = k == 0 ? registration.planeOneOffset : 0;
    const std::optional<Bytes> contents = read(k, id.headerLength + bufferSize - offset);
    if (!contents)
      return ShowErrorBox(session, "Can't open file %s", names[k].c_str()), Block{};
    const size_t header = std::min<size_t>(contents->size(), id.headerLength);
    std::copy_n(contents->begin(), std::min(header, s.fileHeaderBuffer.size()),
                s.fileHeaderBuffer.begin());
    buffers[k].assign(bufferSize, 0);
    // Plane 1 is read to its end less its offset, so its last bytes stay behind.
    size_t count = contents->size() - header;
    if (k == 0) count = count > offset ? count - offset : 0;
    std::copy_n(contents->begin() + static_cast<std::ptrdiff_t>(header), count,
                buffers[k].begin() + static_cast<std::ptrdiff_t>(offset));
  }
  MoveBack(buffers[0], registration.planeOneBack);
  MoveBack(buffers[2], registration.planeThreeBack);

  auto set = ComposeSpectralSet({buffers[0], buffers[1], buffers[2]}, canvas, planeSize);
  if (!set) return ShowOutOfMemory(session), Block{};
  const DerivedCompensation derived = DeriveCompensation(set->statistics);
  s.exposureLevel = derived.exposureLevel;
  s.channelCompensation = derived.channelAmounts;
  if (derived.graded) s.processing.compensationMode = CompensationMode::Graded;

  s.colourTableSize = 0;
  s.imageHeaderCopy = *LoadInfoHeader(*set->dib);
  s.processing.rotationAvailable = false;
  s.pixelAdjustAvailable = false;
  s.processing.sharpenDefaultUsed = s.processing.sharpenMoreUsed = false;
  s.processing.sharpenHiDefUsed = s.processing.sharpenPreviewUsed = false;
  s.loadedImage = set->dib;
  return s.loadedImage;
}

}  // namespace

Block LoadSpectralSet(Session& session, const std::array<std::string, 3>& names) {
  std::array<std::filesystem::path, 3> paths;
  const auto sizeOf = [&](size_t k) -> std::optional<uint64_t> {
    const auto path = FindFileIgnoringCase(session.currentDirectory, names[k]);
    if (!path) return std::nullopt;
    paths[k] = *path;
    return RegularFileSize(*path);
  };
  return Load(session, names, sizeOf, [&](size_t k, size_t count) { return ReadFilePrefix(paths[k], count); });
}

Block LoadSpectralSet(Session& session, const std::array<std::string, 3>& names,
                      const std::array<std::span<const uint8_t>, 3>& planes) {
  const auto sizeOf = [&](size_t k) -> std::optional<uint64_t> { return planes[k].size(); };
  const auto read = [&](size_t k, size_t count) -> std::optional<Bytes> {
    const auto prefix = planes[k].first(std::min(count, planes[k].size()));
    return Bytes(prefix.begin(), prefix.end());
  };
  return Load(session, names, sizeOf, read);
}

}  // namespace kestrel
