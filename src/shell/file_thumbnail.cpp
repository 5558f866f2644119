#include "shell/file_thumbnail.h"

#include "bitmap/thumbnail.h"
#include "codec/colour_set_decompression.h"
#include "codec/decompression.h"
#include "codec/pair_format.h"
#include "platform/files.h"
#include "satfiles/identification.h"
#include "satfiles/video.h"
#include "session/current_image.h"
#include "session/session.h"
#include "shell/open_file.h"

namespace kestrel {
namespace {

// The first frame of a video, which is all a small picture of it can show.
Block FirstVideoFrame(Session& session) {
  const std::optional<VideoFile> video = ReadVideoFile(session, session.state.currentFilePath);
  if (!video || video->format.frameCount == 0) return nullptr;
  Block frame = NewVideoFrame(video->format);
  Block first;
  ForEachVideoFrame(video->body, video->format, *frame, [&] {
    if (!first) first = std::make_shared<Bytes>(*frame);
  });
  return first;
}

// A thumbnail whose compressed partner lies beside it stands for their pair.
bool IsPairThumbnail(const Session& session, const std::string& name) {
  if (MeaningOfName(name).kind != FileKind::Thumbnail) return false;
  for (const bool secondNumbering : {false, true}) {
    const std::string compressed = DecoderNamesFor(name, secondNumbering).compressed;
    if (!compressed.empty() && FindFileIgnoringCase(session.currentDirectory, compressed)) return true;
  }
  return false;
}

// A download cut off within its header: opening it shows black under a corruption warning,
// but a small picture of it should say that the file is broken. (An empty file has its own
// message from the open flow.)
bool EndsWithinHeader(const std::filesystem::path& file, const std::string& name) {
  if (MeaningOfName(name).kind == FileKind::Bitmap) return false;
  const std::optional<uint64_t> size = RegularFileSize(file);
  return size && *size > 0 && *size <= IdentifyByName(name).headerLength;
}

}  // namespace

std::optional<ActPreset> ActPresetForName(std::string_view n) {
  if (n.starts_with("U5") || n.starts_with("IM")) return ActPreset::Uosat;
  if (n.starts_with("KA")) return ActPreset::Kitsat;
  if (n.starts_with("KB")) return n.size() > 3 && n[3] == 'W' ? ActPreset::KitsatWide : ActPreset::Kitsat;
  if (n.starts_with("TM0")) return ActPreset::TmsatWideAngle;
  if (n.starts_with("TM")) return ActPreset::Tmsat;
  return std::nullopt;
}

std::optional<Bytes> ThumbnailOfFile(Session& session, const std::filesystem::path& file,
                                     uint32_t longestEdge) {
  EnterFile(session, file);
  ImageState& s = session.state;
  const std::string name = s.currentFilePath;
  Block picture;
  if (name.ends_with(".ACT")) {
    const std::optional<ActPreset> preset = ActPresetForName(name);
    if (!preset) return ShowErrorBox(session, "%s: no camera layout is known for this download", name.c_str()), std::nullopt;
    if (!PreviewActDownload(session, *preset)) return std::nullopt;
    picture = s.current.currentDib;
  } else if (IsPairThumbnail(session, name)) {
    // The pair's whole picture, decoded as Decompress does but without a transit file.
    if (DecompressSingleImage(session, {.showInformation = false, .inMemory = true}))
      picture = s.current.currentDib;
  } else if (!EndsWithinHeader(file, name)) {
    switch (OpenFromOutside(session, file, true)) {
      case OpenResult::Failed:
        return std::nullopt;
      case OpenResult::Shown:
        picture = s.current.currentDib;
        break;
      case OpenResult::CompressedImage:
        if (DecompressTmsatSet(session, {.showInformation = false})) picture = s.current.currentDib;
        break;
      case OpenResult::Video:
        picture = FirstVideoFrame(session);
        break;
      case OpenResult::InformationFile:
        break;
    }
  }
  if (!picture) return ShowErrorBox(session, "%s has no picture to show", name.c_str()), std::nullopt;
  std::optional<Bytes> thumbnail = ThumbnailDib(*picture, longestEdge);
  if (!thumbnail) ShowErrorBox(session, "%s: no thumbnail can be made of the picture", name.c_str());
  return thumbnail;
}

}  // namespace kestrel
