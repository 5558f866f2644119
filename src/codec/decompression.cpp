#include "codec/decompression.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <optional>
#include <string>

#include "session/current_image.h"
#include "codec/colour_set_decompression.h"
#include "codec/pair_decoder.h"
#include "codec/pair_format.h"
#include "location/image_information.h"
#include "platform/files.h"
#include "satfiles/single_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

constexpr size_t kNumberingIndex = 3;       // fourth character: '1' thumbnail, '2' compressed
constexpr size_t kExtensionKindIndex = 11;  // twelfth character: 'T', 'C' or 'I'
constexpr size_t kKindIndex = 2;            // third character: 'D' decoded, 'T' thumbnail

// The thumbnail's whole content, or none after its message.
std::optional<Bytes> ReadThumbnail(Session& session, const std::string& name) {
  const auto path = FindFileIgnoringCase(session.currentDirectory, name);
  FileContents file = path ? ReadWholeFile(*path, kPairHeaderLength + kMostThumbnailValues)
                           : FileContents{{}, FileReadError::Missing};
  if (file.error == FileReadError::TooLarge) {
    ShowErrorBox(session, "%s is too large to be a thumbnail", name.c_str());
    return std::nullopt;
  }
  if (!file.ok()) {
    ShowErrorBox(session, "Can't open file %s", name.c_str());
    return std::nullopt;
  }
  if (file.bytes.size() < kPairHeaderLength) {
    ShowErrorBox(session, "%s is not a complete thumbnail file", name.c_str());
    return std::nullopt;
  }
  return std::move(file.bytes);
}

void ShowFault(Session& session, PairFault fault, const std::string& thumbnail,
               const std::string& compressed) {
  switch (fault) {
    case PairFault::None:
      return;
    case PairFault::ThumbnailIncomplete:
      ShowErrorBox(session, "%s is not a complete thumbnail file", thumbnail.c_str());
      return;
    case PairFault::CompressedIncomplete:
      ShowErrorBox(session, "%s is not a complete compressed image file", compressed.c_str());
      return;
    case PairFault::SizesDisagree:
      ShowMessage(session, "The relationship Thumb to Compressed is incorrect",
                  "Image Allocation Error");
      return;
    case PairFault::EmptyPicture:
      ShowErrorBox(session, "The thumbnail %s describes an empty picture", thumbnail.c_str());
      return;
    case PairFault::PictureTooLarge:
      ShowPictureTooLarge(session, thumbnail);
      return;
  }
}

// The decoded file's bytes; its name is then the current file path. A transit file that will
// be written must not take the place of a file already there.
std::optional<Bytes> DecodeToMemory(Session& session, bool secondNumbering, bool transitFile) {
  ImageState& s = session.state;
  const std::string thumbnailName = s.currentFilePath;
  const std::optional<Bytes> thumbnail = ReadThumbnail(session, thumbnailName);
  if (!thumbnail) return std::nullopt;
  std::copy_n(thumbnail->begin(), kPairHeaderLength, s.fileHeaderBuffer.begin());
  const PairSize thumbnailSize = HeaderSize(*thumbnail);
  s.identification.fileWidth = thumbnailSize.width;
  s.identification.fileHeight = thumbnailSize.height;

  const DecoderNames names = DecoderNamesFor(thumbnailName, secondNumbering);
  // The decoded file is a transit file, deleted once shown: it must not take the place of a
  // file that is already there (the picture the pair was made from, or the thumbnail itself).
  if (transitFile && !names.decoded.empty() && FindFileIgnoringCase(session.currentDirectory, names.decoded)) {
    ShowErrorBox(session, "%s already exists and is not replaced by a decoded picture",
                 names.decoded.c_str());
    return std::nullopt;
  }

  const size_t values = thumbnail->size() - kPairHeaderLength;
  const auto compressedPath =
      names.compressed.empty() ? std::nullopt
                               : FindFileIgnoringCase(session.currentDirectory, names.compressed);
  const std::optional<Bytes> compressed =
      compressedPath ? ReadFilePrefix(*compressedPath, UsableCompressedLength(values))
                     : std::nullopt;
  if (!compressed) return ShowErrorBox(session, "Can't open file %s", names.compressed.c_str()), std::nullopt;
  if (compressed->size() >= kPairHeaderLength)
    std::copy_n(compressed->begin(), kPairHeaderLength, s.fileHeaderBuffer.begin());

  DecodedPair decoded = DecodePair(*thumbnail, *compressed);
  if (decoded.fault != PairFault::None) {
    ShowFault(session, decoded.fault, thumbnailName, names.compressed);
    return std::nullopt;
  }
  IdentificationRecord& id = s.identification;
  id.fileWidth = decoded.size.width;
  id.fileHeight = decoded.size.height;
  id.fieldGap = 0;
  id.headerLength = kPairHeaderLength;
  id.interlaced = false;
  id.thumbnail = false;
  id.spikeFilter = false;
  id.leftTrim = false;
  id.autoExposure = false;
  id.wideAngleTmsat = false;

  Bytes file(kPairHeaderLength + decoded.picture.size());
  std::copy(s.fileHeaderBuffer.begin(), s.fileHeaderBuffer.end(), file.begin());
  std::copy(decoded.picture.begin(), decoded.picture.end(), file.begin() + kPairHeaderLength);
  // A name the naming rules cannot turn into a decoded one has no file to load as.
  if (names.decoded.empty()) return ShowErrorBox(session, "Can't open file %s", ""), std::nullopt;
  s.currentFilePath = names.decoded;
  return file;
}

std::optional<Bytes> DecodeInMemory(Session& session, bool secondNumbering, bool transitFile) {
  FreeCurrentImage(session);
  try {
    return DecodeToMemory(session, secondNumbering, transitFile);
  } catch (const std::bad_alloc&) {
    ShowOutOfMemory(session);
    return std::nullopt;
  }
}

// A TMSat pair chosen by its thumbnail is looked for by its compressed file, in the second
// numbering when only that one exists.
void ChooseTmsatCompressedName(Session& session, std::string& name) {
  if (name[kExtensionKindIndex] != 'T') return;
  const auto exists = [&](const std::string& candidate) {
    return FindFileIgnoringCase(session.currentDirectory, candidate).has_value();
  };
  const std::string first = DecoderNamesFor(name, false).compressed;
  const std::string second = DecoderNamesFor(name, true).compressed;
  name = !exists(first) && name[kNumberingIndex] == '1' && exists(second) ? second : first;
}

}  // namespace

bool DecompressPair(Session& session, bool secondNumbering) {
  std::string& name = session.state.currentFilePath;
  const std::string thumbnailName = name;
  const std::optional<Bytes> file = DecodeInMemory(session, secondNumbering, true);
  if (!file) return false;
  if (WriteFileReplacing(ResolveFileName(session.currentDirectory, name), *file)) return true;
  ShowErrorBox(session, "Can't open file %s", name.c_str());
  name = thumbnailName;  // nothing was decoded to a file
  return false;
}

void PrepareDecompression(Session& session) {
  session.state.currentFilePath = ToUpperAscii(session.state.currentFilePath);
  ResetProcessingState(session);
  session.state.processing.compressionDone = true;
}

bool DecompressSingleImage(Session& session, const DecompressionOptions& options) {
  ImageState& s = session.state;
  WaitCursor wait(session.platform);
  PrepareDecompression(session);

  // A TMSat picture is one plane of the set decompression; "FB" pairs are chosen by any of
  // their names and the thumbnail carries 'T' as the last letter of its extension.
  std::string& name = s.currentFilePath;
  if (name.starts_with("TM") && name.size() > kExtensionKindIndex) {
    ChooseTmsatCompressedName(session, name);
    s.processing.decompressAsColourSet = false;
    return DecompressTmsatSet(session, options) && s.current.imageDisplayable;
  }
  bool secondNumbering = false;
  if (name.starts_with("FB") && name.size() > kExtensionKindIndex) {
    secondNumbering = true;
    name[kNumberingIndex] = '1';
    name[kExtensionKindIndex] = 'T';
  }
  std::optional<Bytes> decodedFile;
  if (options.inMemory) {
    decodedFile = DecodeInMemory(session, secondNumbering, false);
    if (!decodedFile) return false;
  } else if (!DecompressPair(session, secondNumbering)) {
    return false;
  }
  const std::string decodedName = s.currentFilePath;

  s.processing.singleImageShown = true;
  s.shownImage = decodedFile ? LoadSingleImage(session, std::make_shared<const Bytes>(std::move(*decodedFile)))
                             : LoadSingleImage(session);
  const bool shown = s.shownImage && SetCurrentImage(session, s.shownImage);
  if (shown && options.showInformation) {
    // The report is made for the thumbnail, the file that stays.
    const bool decodedKind = name.size() > kKindIndex && name[kKindIndex] == 'D';
    if (decodedKind) name[kKindIndex] = 'T';
    ShowImageInformation(session, name);
    if (decodedKind) name[kKindIndex] = 'D';
  }
  s.exposureLevel = static_cast<uint16_t>(255 - s.imageAverage);
  if (!options.keepDecodedFiles && !options.inMemory) {
    std::error_code ignored;
    fs::remove(ResolveFileName(session.currentDirectory, decodedName), ignored);
  }
  return shown;
}

}  // namespace kestrel
