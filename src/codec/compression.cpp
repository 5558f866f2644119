#include "codec/compression.h"

#include <algorithm>
#include <new>
#include <span>
#include <string>

#include "session/current_image.h"
#include "codec/pair_encoder.h"
#include "codec/pair_format.h"
#include "platform/files.h"
#include "satfiles/single_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

// The bar runs 0 to 100 in steps of 10, one step per fortieth of the compressed height.
constexpr int kProgressMaximum = 100;
constexpr int kProgressStep = 10;
constexpr uint32_t kRowsPerStepDivisor = 40;

constexpr std::string_view kTmsatAdvice =
    "    To compress individual TM1,TM2,TM3 Images\r\n"
    "Open each file individually from Windows Explorer\r\n"
    "                        or Drag and Drop\r\n"
    "          Then use the Compress function";

bool WritePairFile(Session& session, const std::string& name, std::span<const uint8_t> header,
                   std::initializer_list<std::span<const uint8_t>> parts) {
  Bytes file(header.begin(), header.end());
  for (auto part : parts) file.insert(file.end(), part.begin(), part.end());
  if (name.empty() || !WriteFileReplacing(ResolveFileName(session.currentDirectory, name), file))
    return ShowErrorBox(session, "Can't open file %s", name.c_str()) != 0;
  return true;
}

bool CompressLoadedPicture(Session& session) {
  ImageState& s = session.state;
  const std::string source = ToUpperAscii(s.currentFilePath);
  const CompressorNames names = CompressorNamesFor(source);
  // A thumbnail being compressed again would be replaced by its own thumbnail.
  if (names.thumbnail == source || names.compressed == source)
    return ShowErrorBox(session, "Compressing %s would replace it", source.c_str()) != 0;

  const auto progress = session.platform.OpenProgressWindow(
      {"CCD Image Compression", "Now compressing the Image File"});
  progress->SetRange(0, kProgressMaximum);
  progress->SetStep(kProgressStep);

  const uint16_t width = s.identification.storedWidth;
  const uint16_t height = s.identification.storedHeight;
  const PairSize size = CompressedSizeFor(source, width, height);
  std::span<const uint8_t> pixels = *s.topDownCopy;
  pixels = pixels.first(std::min(pixels.size(), size_t{width} * height));
  const uint32_t rowsPerStep = size.height / kRowsPerStepDivisor;
  uint32_t rowsCounted = 0;
  const EncodedBlocks encoded = EncodeBlocks(pixels, width, size, [&] {
    if (++rowsCounted == rowsPerStep) {
      progress->StepIt();
      rowsCounted = 0;
    }
  });

  // TMSat pictures keep the header the image report took; the others their file's own.
  auto& header = source.starts_with("TM") ? s.tmHeaderCopy : s.fileHeaderBuffer;
  const auto thumbnailWidth = static_cast<uint16_t>(size.width / kBlockSide);
  const auto thumbnailHeight = static_cast<uint16_t>(size.height / kBlockSide);
  StoreU16(header.data() + kPairWidthOffset, thumbnailWidth);
  StoreU16(header.data() + kPairHeightOffset, thumbnailHeight);
  if (!WritePairFile(session, names.thumbnail, header, {encoded.thumbnail})) return false;
  StoreU16(header.data() + kPairWidthOffset, size.width);
  StoreU16(header.data() + kPairHeightOffset, size.height);
  if (!WritePairFile(session, names.compressed, header, {encoded.map, encoded.records}))
    return false;

  IdentificationRecord& id = s.identification;
  id.fileWidth = thumbnailWidth;
  id.fileHeight = thumbnailHeight;
  id.fieldGap = 0;
  id.headerLength = kPairHeaderLength;
  id.interlaced = false;
  id.thumbnail = true;
  id.spikeFilter = false;
  id.leftTrim = false;
  s.currentFilePath = names.thumbnail;
  s.rotationWorkCopy.reset();
  s.topDownCopy.reset();
  return true;
}

}  // namespace

bool CompressCurrentImage(Session& session) {
  if (!session.state.topDownCopy) return false;  // nothing was loaded
  try {
    return CompressLoadedPicture(session);
  } catch (const std::bad_alloc&) {
    ShowOutOfMemory(session);
    return false;
  }
}

bool SaveAsComp(Session& session) {
  ImageState& s = session.state;
  const std::string& name = s.currentFilePath;
  if (!name.starts_with("TM00")) {
    if (name.starts_with("TM") && !s.openedFromShell) {
      ShowMessage(session, kTmsatAdvice, "Compression Information", BoxIcon::None);
      return false;
    }
    s.openedFromShell = false;
  }
  WaitCursor wait(session.platform);
  if (!s.processing.rotationAvailable) return false;
  ResetProcessingState(session);
  s.processing.singleImageShown = true;
  // The thumbnail is read as written; a source read again after a failure is read as it
  // was first, fields and all.
  s.processing.compressionDone = CompressCurrentImage(session);
  s.shownImage = LoadSingleImage(session);
  if (s.shownImage) SetCurrentImage(session, s.shownImage);
  s.exposureLevel = static_cast<uint16_t>(255 - s.imageAverage);
  return s.processing.compressionDone;
}

}  // namespace kestrel
