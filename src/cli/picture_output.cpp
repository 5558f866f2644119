#include <cstdint>
#include <system_error>

#include "bitmap/bitmap_file.h"
#include "bitmap/dib.h"
#include "bitmap/png_file.h"
#include "cli/cli.h"
#include "platform/files.h"

namespace kestrel::cli {

std::optional<PictureFormat> PictureFormatOf(const std::filesystem::path& out) {
  const std::string extension = ToUpperAscii(out.extension().string());
  if (extension == ".BMP") return PictureFormat::Bmp;
  if (extension == ".PNG") return PictureFormat::Png;
  return std::nullopt;
}

bool WritePicture(Session& session, const Bytes& dib, const std::filesystem::path& out, PictureKind kind) {
  const bool thumbnail = kind == PictureKind::Thumbnail;
  std::optional<Bytes> file;
  const auto format = PictureFormatOf(out);
  if (format == PictureFormat::Png) file = EncodePng(dib, thumbnail ? PngPacking::Fastest : PngPacking::Smallest);
  else if (format == PictureFormat::Bmp && dib.size() <= UINT32_MAX - kFileHeaderSize)
    file = EncodeBitmapFile(dib);  // the file header's size field holds the whole file
  std::error_code error;
  if (file && WriteFileReplacing(out, *file, error, thumbnail ? Durability::Cached : Durability::OnDisk))
    return true;
  ShowErrorBox(session, "Unable to save the specified file");
  if (error) Complain("%s: %s", out.c_str(), error.message().c_str());
  return false;
}

}  // namespace kestrel::cli
