#include "satfiles/single_image.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bitmap/dib.h"
#include "platform/files.h"
#include "satfiles/brightness.h"
#include "satfiles/compressed_file_advice.h"
#include "satfiles/identification.h"
#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

// TMSAT wide-angle thumbnails are the one kind whose size is never checked.
constexpr uint16_t kUncheckedThumbnailHeight = 145;
constexpr int kSpikeStep = 4;
constexpr size_t kExposureRampEntries = 512;
constexpr size_t kExposureRampLead = 128;

// Copies `count` bytes from source[from] to destination[to], leaving out whatever falls
// outside either buffer.
void CopyClipped(std::span<const uint8_t> source, size_t from, std::span<uint8_t> destination,
                 int64_t to, size_t count) {
  if (to < 0) {
    const auto cut = static_cast<size_t>(-to);
    if (cut >= count) return;
    from += cut;
    count -= cut;
    to = 0;
  }
  const auto start = static_cast<size_t>(to);
  if (from >= source.size() || start >= destination.size()) return;
  count = std::min({count, source.size() - from, destination.size() - start});
  std::memcpy(destination.data() + start, source.data() + from, count);
}

// The filter's rule at position i, with the values as they are now: true when it changed.
bool FilterSpikeAt(uint8_t* p, size_t i) {
  const int left = p[i - 1];
  const int centre = p[i];
  const int right = p[i + 1];
  const int leftStep = std::abs(centre - left);
  if (leftStep <= kSpikeStep || std::abs(centre - right) <= kSpikeStep ||
      std::abs(right - left) > leftStep)
    return false;
  p[i] = static_cast<uint8_t>((left + right) / 2);
  return true;
}

// Positions scanned at once for spike candidates.
constexpr size_t kSpikeScan = 64;

// Index of the first of the kSpikeScan positions from `from` on that stands more than a spike
// step away from both of its neighbours, or kSpikeScan when none does. The flags are made by
// arithmetic alone, so that the compiler makes them on vectors, and are then looked through
// eight at a time.
size_t FirstSpikeCandidate(const uint8_t* p, size_t from) {
  // With t = a - b + step, |a - b| > step exactly when t or 2 x step - t is negative.
  const auto steep = [](uint8_t a, uint8_t b) {
    const auto t = static_cast<int16_t>(a - b + kSpikeStep);
    return static_cast<uint8_t>(static_cast<uint16_t>(t | (2 * kSpikeStep - t)) >> 15);
  };
  std::array<uint8_t, kSpikeScan> stands;
  for (size_t k = 0; k < kSpikeScan; ++k) {
    const uint8_t centre = p[from + k];
    stands[k] = steep(centre, p[from + k - 1]) & steep(centre, p[from + k + 1]);
  }
  for (size_t k = 0; k < kSpikeScan; k += sizeof(uint64_t)) {
    uint64_t eight = 0;
    std::memcpy(&eight, stands.data() + k, sizeof eight);
    if (!eight) continue;
    const int bit = std::endian::native == std::endian::little ? std::countr_zero(eight)
                                                                : std::countl_zero(eight);
    return k + static_cast<size_t>(bit) / 8;
  }
  return kSpikeScan;
}

void FillExposureRamp(Bytes& ramp) {
  ramp.assign(kExposureRampEntries * 4, 0);
  for (size_t i = 0; i < 256; ++i) {
    uint8_t* entry = ramp.data() + 4 * (kExposureRampLead + i);
    entry[0] = entry[1] = entry[2] = static_cast<uint8_t>(i);
  }
  std::fill(ramp.begin() + 4 * (kExposureRampLead + 256), ramp.end(), uint8_t{255});
}

void ShowCorruptionMessage(Session& session) {
  ShowMessage(session,
              "This Image remains corrupted\n"
              "    after being processed",
              "Image Corruption Error");
}

}  // namespace

void PlaceRows(std::span<const uint8_t> body, std::span<uint8_t> dibPixels,
               std::span<uint8_t> topDown, const RowLayout& layout) {
  const size_t width = layout.fileWidth;
  const size_t height = layout.fileHeight;
  const auto stride = static_cast<int64_t>(layout.stride);
  if (!layout.fields) {
    for (size_t r = 0; r < height; ++r) {
      CopyClipped(body, r * width, dibPixels, static_cast<int64_t>(height - 1 - r) * stride, width);
      CopyClipped(body, r * width, topDown, static_cast<int64_t>(r) * stride, width);
    }
    return;
  }
  // First field: picture rows 1, 3, 5 ...; second field: rows 2, 4, ... (row 0 has no data).
  const size_t half = height / 2;
  for (size_t r = 0; r < half; ++r) {
    CopyClipped(body, r * width, dibPixels, static_cast<int64_t>(2 * (height - half - 1 - r)) * stride,
                width);
    CopyClipped(body, r * width, topDown, static_cast<int64_t>(2 * r) * stride, width);
  }
  const int64_t shift = layout.secondFieldLeft ? -1 : 0;
  for (size_t r = half + 1; r < height; ++r) {
    const size_t from = layout.fieldGap + (r - 1) * width;
    CopyClipped(body, from, dibPixels, static_cast<int64_t>(2 * height - 1 - 2 * r) * stride + shift,
                width);
    CopyClipped(body, from, topDown, static_cast<int64_t>(2 * (r - half) - 1) * stride + shift,
                width);
  }
}

void SpikeFilter(std::span<uint8_t> bytes) {
  const size_t n = bytes.size();
  if (n < 3) return;
  uint8_t* p = bytes.data();
  const size_t last = n - 1;  // the positions before it have a neighbour on both sides
  // A position can change only when it stands out from both neighbours, or when its left
  // neighbour has just changed: so the scan skips to the next candidate, and from a change
  // it follows the filter position by position until a position stays.
  size_t i = 1;
  while (i < last) {
    if (i + kSpikeScan <= last) {
      const size_t candidate = FirstSpikeCandidate(p, i);
      i += candidate;
      if (candidate == kSpikeScan) continue;
    }
    while (i < last && FilterSpikeAt(p, i)) ++i;
    ++i;
  }
}

namespace {

// Everything a load makes from the file's bytes: kept, so that the copies beside the loaded
// image are made only when a command reads them, from the same bytes by the same steps.
struct LoadRecipe {
  std::shared_ptr<const Bytes> file;
  size_t headerLength = 0;
  size_t bodySize = 0;       // the most body bytes the load reads
  size_t pixelAreaSize = 0;  // P
  size_t pictureArea = 0;    // stride x height
  RowLayout layout;
  bool skipWideAngleLead = false;
  bool spikeFilter = false;
  bool leftTrim = false;
  bool autoExposure = false;
  std::string name;

  std::span<const uint8_t> Body() const {
    std::span<const uint8_t> body = std::span<const uint8_t>(*file).subspan(
        std::min(file->size(), headerLength));
    body = body.first(std::min(body.size(), bodySize));
    if (skipWideAngleLead) body = body.subspan(std::min(kWideAngleSkip, body.size()));
    return body;
  }

  // The spike filter's share of a pixel area: rows are placed only inside the picture, and
  // the zeros behind it can never change, nor change the picture's last byte once the first
  // of them is its neighbour.
  std::span<uint8_t> PictureAndFirstZero(std::span<uint8_t> pixels) const {
    return pixels.first(std::min(pixels.size(), pictureArea + 1));
  }
};

struct BuiltPicture {
  Block dib;
  BrightnessOutcome brightness;
};

// The loaded image: header, grey colour table and pixel area.
size_t PictureBlockBytes(size_t pixelAreaSize) {
  return kInfoHeaderSize + kGreyColourTableSize + pixelAreaSize;
}

// `spare` when nothing else holds it and a block of `size` bytes fits its storage without
// leaving half of it unused; none otherwise.
Block Reusable(Block spare, size_t size) {
  if (spare && spare.use_count() == 1 && spare->capacity() >= size && spare->capacity() / 2 <= size)
    return spare;
  return {};
}

// A zero-filled block of `size` bytes, made in the storage of `spare` when nothing else holds
// that and it is about as large: refilling pages already in use costs far less than faulting
// in fresh ones, a few hundred kilobytes for every picture loaded.
Block ReusedBlock(Block spare, size_t size) {
  spare = Reusable(std::move(spare), size);
  if (!spare) return NewBlock(size);
  spare->assign(size, uint8_t{0});
  return spare;
}

// The picture, in the storage of `spare` when that can be reused.
BuiltPicture BuildPicture(const LoadRecipe& recipe, Block spare = {}) {
  Block dib = ReusedBlock(std::move(spare), PictureBlockBytes(recipe.pixelAreaSize));
  BitmapInfoHeader header;
  header.biWidth = static_cast<int32_t>(recipe.layout.stride);
  header.biHeight = static_cast<int32_t>(recipe.layout.fileHeight & ~3u);
  header.biBitCount = 8;
  header.biSizeImage = static_cast<uint32_t>(recipe.pixelAreaSize);
  StoreInfoHeader(header, *dib);
  FillGreyColourTable(*dib);
  std::span<uint8_t> colourTable(dib->data() + kInfoHeaderSize, kGreyColourTableSize);
  std::span<uint8_t> pixels(dib->data() + kInfoHeaderSize + kGreyColourTableSize,
                            recipe.pixelAreaSize);
  PlaceRows(recipe.Body(), pixels, {}, recipe.layout);
  if (recipe.spikeFilter) SpikeFilter(recipe.PictureAndFirstZero(pixels));
  const BrightnessOutcome brightness =
      AnalyseAndCorrectBrightness(pixels, colourTable, recipe.layout.stride,
                                  recipe.layout.fileHeight, recipe.name, recipe.autoExposure);
  if (recipe.leftTrim) {
    // Each row loses its leftmost pixels; the row above lends its first ones to the row end.
    const std::span<uint8_t> picture = pixels.first(recipe.pictureArea);
    const size_t kept = picture.size() > kLeftTrim ? picture.size() - kLeftTrim : 0;
    std::memmove(picture.data(), picture.data() + (picture.size() - kept), kept);
    std::fill(picture.begin() + static_cast<std::ptrdiff_t>(kept), picture.end(), uint8_t{0});
  }
  return {dib, brightness};
}

Block BuildTopDownCopy(const LoadRecipe& recipe) {
  Block topDown = NewBlock(recipe.pixelAreaSize);
  PlaceRows(recipe.Body(), {}, *topDown, recipe.layout);
  if (recipe.spikeFilter) SpikeFilter(recipe.PictureAndFirstZero(*topDown));
  return topDown;
}

// The load itself; `read` gives the file's first bytes, up to the count it is asked for, or
// none when the file cannot be read. It is called once the picture on show is released.
template <typename ReadFile>
Block Load(Session& session, size_t downloadBodySize, const ReadFile& read) {
  ImageState& s = session.state;
  IdentificationRecord& id = s.identification;
  s.processing.darkenAvailable = true;
  s.processing.lightenAvailable = true;
  const bool actDownload = id.headerLength == kActHeaderLength;
  if (!actDownload && !CompressedFileAdvice(session, s.currentFilePath)) return {};

  const uint32_t width = id.fileWidth;
  const uint32_t height = id.fileHeight;
  const uint32_t stride = (width + 3) & ~3u;
  const uint32_t shownHeight = height & ~3u;
  if (stride == 0 || shownHeight == 0) {
    ShowMessage(session, "Invalid Parameters - Image cannot be processed", "CCD Image Error");
    return {};
  }
  // The declared size meets the picture limit before anything is released, read or allocated;
  // the largest block a load can need is the one of a file of the wrong size.
  const auto area = PictureBlockSize(stride, height);
  const size_t largestBody =
      actDownload ? downloadBodySize : (area ? *area : 0) + kCorruptFileSlack;
  if (!area ||
      !PictureBlockSize(1, LoaderBlockSize(largestBody), kInfoHeaderSize + kGreyColourTableSize)) {
    ShowPictureTooLarge(session, ToUpperAscii(s.currentFilePath));
    return {};
  }

  s.fileHeaderBuffer.fill(0);
  Block previousPicture = s.loadedImage;
  FreeCurrentImage(session);
  // Held on only while the new picture can take over its storage.
  const size_t smallestBody = actDownload ? downloadBodySize : *area;
  previousPicture =
      Reusable(std::move(previousPicture), PictureBlockBytes(LoaderBlockSize(smallestBody)));
  s.currentFilePath = ToUpperAscii(s.currentFilePath);
  const std::string& name = s.currentFilePath;
  // The file is read only as far as its header and the largest body the load can use; the
  // bytes held are what the file really has, no more.
  std::shared_ptr<const Bytes> file = read(id.headerLength + largestBody);
  if (!file) return ShowErrorBox(session, "Can't open file %s", name.c_str()), Block{};
  // An empty file holds no picture: showing it as a flat grey one would pass a failure off as
  // a success.
  if (file->empty()) return ShowEmptyFile(session, name), Block{};

  // A file longer than what was read is longer than expected too.
  const bool sizeChecked = height != kUncheckedThumbnailHeight && !actDownload;
  const bool sizeMismatch = sizeChecked && file->size() != id.ExpectedFileSize();
  if (sizeMismatch) ShowCorruptionMessage(session);

  id.storedWidth = static_cast<uint16_t>(stride);
  id.storedHeight = static_cast<uint16_t>(shownHeight);
  s.imageHeaderCopy.biWidth = static_cast<int32_t>(stride);
  s.imageHeaderCopy.biHeight = static_cast<int32_t>(shownHeight);
  s.colourTableSize = kGreyColourTableSize;

  const size_t bodySize = smallestBody + (sizeMismatch ? kCorruptFileSlack : 0);
  const size_t pixelAreaSize = LoaderBlockSize(bodySize);
  if (*area > pixelAreaSize) {
    ShowOutOfMemory(session);
    return {};
  }

  const size_t headerRead = std::min<size_t>(file->size(), id.headerLength);
  std::copy_n(file->begin(), std::min(headerRead, s.fileHeaderBuffer.size()),
              s.fileHeaderBuffer.begin());
  const bool fieldLayout = id.interlaced && !s.processing.compressionDone;
  auto recipe = std::make_shared<const LoadRecipe>(LoadRecipe{
      .file = std::move(file),
      .headerLength = headerRead,
      .bodySize = bodySize,
      .pixelAreaSize = pixelAreaSize,
      .pictureArea = *area,
      .layout = {width, height, stride, id.fieldGap, fieldLayout, fieldLayout && id.wideAngleTmsat},
      .skipWideAngleLead = id.wideAngleTmsat && !id.thumbnail && !s.processing.compressionDone,
      .spikeFilter = id.spikeFilter,
      .leftTrim = id.leftTrim,
      .autoExposure = id.autoExposure,
      .name = name});

  FillExposureRamp(s.exposureRamp);
  const BuiltPicture built = BuildPicture(*recipe, std::move(previousPicture));
  s.imageAverage = built.brightness.imageAverage;
  if (built.brightness.exposureShift != 0) {
    s.exposureLevel = built.brightness.exposureShift;
    s.processing.enhancedAvailable = false;
    s.processing.originalAvailable = true;
  }

  // Rebuilt from the same bytes when first read, the copies come out byte for byte as they
  // would have been copied now, whatever the commands do to the loaded image meanwhile.
  s.topDownCopy = LazyBlock([recipe] { return BuildTopDownCopy(*recipe); });
  s.imageAdjustOriginal = LazyBlock([recipe] { return BuildPicture(*recipe).dib; });
  s.processing.rotationAvailable = true;
  s.pixelAdjustAvailable = true;
  s.processing.sharpenDefaultUsed = false;
  s.processing.sharpenMoreUsed = false;
  s.processing.sharpenHiDefUsed = false;
  s.processing.sharpenPreviewUsed = false;
  s.loadedImage = built.dib;
  return built.dib;
}

}  // namespace

Block LoadSingleImage(Session& session) {
  return Load(session, kActBodySize, [&session](size_t limit) -> std::shared_ptr<const Bytes> {
    const auto path = FindFileIgnoringCase(session.currentDirectory, session.state.currentFilePath);
    auto bytes = path ? ReadFilePrefix(*path, limit) : std::nullopt;
    if (!bytes) return nullptr;
    return std::make_shared<const Bytes>(std::move(*bytes));
  });
}

Block LoadSingleImage(Session& session, std::shared_ptr<const Bytes> file,
                      size_t downloadBodySize) {
  return Load(session, downloadBodySize, [&file](size_t) { return file; });
}

}  // namespace kestrel
