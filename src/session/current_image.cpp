#include "session/current_image.h"

#include <algorithm>
#include <cstdio>

#include "bitmap/bitmap_file.h"
#include "bitmap/convert.h"
#include "platform/files.h"
#include "session/view_zoom.h"
#include "session/session.h"

namespace kestrel {

void ShowPictureTooLarge(Session& session, std::string_view fileName) {
  ShowErrorBox(session, "%.*s is too large to open: a picture may take at most %u MiB",
               static_cast<int>(fileName.size()), fileName.data(),
               static_cast<unsigned>(kPictureBlockLimit >> 20));
}

void ShowEmptyFile(Session& session, std::string_view fileName) {
  ShowErrorBox(session, "%.*s is empty: it holds no picture", static_cast<int>(fileName.size()),
               fileName.data());
}

bool SetCurrentImage(Session& session, Block block) {
  CurrentImage& current = session.state.current;
  if (!block || !IsWellFormedDib(*block)) {
    ShowErrorBox(session, "Could not create bitmap!");
    return false;
  }
  // Coded pictures are shown decoded; runs that cannot be decoded are refused here, before
  // anything is installed, rather than when the window first paints.
  if (LoadInfoHeader(*block)->biCompression != kCompressionRgb && !DecodeRle(*block)) {
    ShowErrorBox(session, "Could not load RLE!");
    FreeCurrentImage(session);
    return false;
  }
  current.currentHeader = block;
  if (!current.currentPalette) {
    current.currentPalette = MakePaletteFromDib(*block);
    if (!current.currentPalette) {
      ShowErrorBox(session, "CreatePalette() Failed");
      return false;
    }
  }
  current.imageDisplayable = true;
  current.currentDib = std::move(block);
  FitWindowToImage(session);
  return true;
}

void RecolourCurrentImage(Session& session) {
  if (session.state.current.imageDisplayable)
    session.platform.PictureChanged(PictureChange::ColoursChanged);
}

bool OpenBitmapAsCurrent(Session& session) {
  FreeCurrentImage(session);
  const std::string& name = session.state.currentFilePath;
  const auto path = FindFileIgnoringCase(session.currentDirectory, name);
  BitmapReadResult read = path ? ReadBitmapFile(*path) : BitmapReadResult{{}, BitmapReadError::CannotOpen};
  switch (read.error) {
    case BitmapReadError::None:
      break;
    case BitmapReadError::CannotOpen:
      return ShowErrorBox(session, "Can't open file '%s'", name.c_str()) != 0;
    case BitmapReadError::NotBitmap:
      if (RegularFileSize(*path) == 0) {
        ShowEmptyFile(session, name);
        return false;
      }
      return ShowErrorBox(session, "%s is not a Legitimate DIB File!", name.c_str()) != 0;
    case BitmapReadError::TooLarge:
      ShowPictureTooLarge(session, name);
      return false;
    case BitmapReadError::ShortPixels: {
      // A picture whose pixels cannot all be read is not installed at all: painting a
      // truncated file from disk would show whatever follows it.
      const auto header = ReadFilePrefix(*path, kFileHeaderSize + kInfoHeaderSize);
      const bool rle = header && header->size() >= kFileHeaderSize + dib_field::kCompression + 4 &&
                       LoadU32(header->data() + kFileHeaderSize + dib_field::kCompression) != 0;
      if (rle) return ShowErrorBox(session, "Could not load RLE!") != 0;
      return ShowErrorBox(session, "%s is not a Legitimate DIB File!", name.c_str()) != 0;
    }
  }
  const BitmapInfoHeader header = *LoadInfoHeader(*read.dib);
  session.state.current.pixelOffsetInFile = PixelOffset(header);
  return SetCurrentImage(session, std::move(read.dib));
}

void FreeCurrentImage(Session& session) {
  ImageState& s = session.state;
  s.current = CurrentImage{};
  s.loadedImage.reset();
  s.shownImage.reset();
  s.imageAdjustOriginal.reset();
  s.topDownCopy.reset();
  s.rotationWorkCopy.reset();
  session.platform.PictureChanged(PictureChange::Cleared);
}

std::string ImageCaption(std::string_view filePath, const BitmapInfoHeader& header,
                         int zoomPercent) {
  const size_t cut = filePath.find_last_of("\\/:");
  const std::string_view name = cut == std::string_view::npos ? filePath : filePath.substr(cut + 1);
  const char* compression = header.biCompression == kCompressionRgb    ? " RGB"
                            : header.biCompression == kCompressionRle8 ? " RLE8"
                                                                       : " RLE4";
  char caption[512];
  std::snprintf(caption, sizeof caption, "%s (%.*s %dx%dx%d%s)", "Kestrel",
                static_cast<int>(std::min<size_t>(name.size(), 400)), name.data(), header.biWidth,
                header.biHeight, header.biBitCount, compression);
  std::string text = caption;
  if (zoomPercent != 100) {
    text += ' ';
    text += std::to_string(zoomPercent);
    text += '%';
  }
  return text;
}

void FitWindowToImage(Session& session) {
  CurrentImage& current = session.state.current;
  if (!current.currentHeader) return;
  const BitmapInfoHeader header = *LoadInfoHeader(*current.currentHeader);
  const auto width = static_cast<int16_t>(header.biWidth);
  const auto height = static_cast<int16_t>(header.biHeight);
  // Edits that keep the picture's size keep its zoom, as they keep the window's size.
  const bool newSize = width != current.displayWidth || height != current.displayHeight;
  current.displayWidth = width;
  current.displayHeight = height;
  if (newSize) ChooseZoomForNewPicture(session);
  SetImageCaption(session);
  session.platform.PictureChanged(PictureChange::Installed);
}

void SetImageCaption(Session& session) {
  const CurrentImage& current = session.state.current;
  if (!current.currentHeader) return;
  session.platform.SetWindowCaption(ImageCaption(
      session.state.currentFilePath, *LoadInfoHeader(*current.currentHeader), session.state.zoom.percent));
}

ScrollRange UpdateScrollRanges(const ScrollGeometry& g) {
  auto pass = [&](int clientWidth, int clientHeight) {
    return ScrollRange{std::max(0, g.pictureWidth - clientWidth),
                       std::max(0, g.pictureHeight - clientHeight)};
  };
  const ScrollRange first = pass(g.clientWidth, g.clientHeight);
  // The bars the first pass shows take room from the client area.
  const int width = g.clientWidth - (first.verticalMax > 0 ? g.scrollBarWidth : 0);
  const int height = g.clientHeight - (first.horizontalMax > 0 ? g.scrollBarHeight : 0);
  return pass(width, height);
}

Block ConvertDibFormat(Session& session, uint32_t compression, uint16_t bitCount) {
  CurrentImage& current = session.state.current;
  if (!current.imageDisplayable || !current.currentDib) return {};
  const BitmapInfoHeader header = *LoadInfoHeader(*current.currentDib);
  if (header.biCompression == compression && header.biBitCount == bitCount)
    return current.currentDib;
  // A converted copy: the picture on show keeps its full depth, so saving at 1 bit and then
  // at 24 bits loses nothing.
  return ConvertDib(*current.currentDib, compression, bitCount);
}

}  // namespace kestrel
