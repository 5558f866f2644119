#pragma once
// The picture on show and the operations that install, release, caption and convert it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/block.h"
#include "bitmap/dib.h"
#include "bitmap/palette.h"

namespace kestrel {

struct Session;

struct SelectionRectangle {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};

struct CurrentImage {
  bool imageDisplayable = false;
  std::optional<Palette> currentPalette;
  Block currentDib;     // the picture's pixels; none while a bitmap file is painted from disk
  Block currentHeader;  // header and colour table used for drawing; often the same block
  uint32_t pixelOffsetInFile = 0;
  int16_t displayWidth = 0;
  int16_t displayHeight = 0;
  SelectionRectangle selectionRectangle;
};

// The refusals every reader shares, naming the file: a picture beyond the picture limit, and a
// file with no bytes at all.
void ShowPictureTooLarge(Session& session, std::string_view fileName);
void ShowEmptyFile(Session& session, std::string_view fileName);

// Installs a packed DIB built in memory and fits the window to it.
bool SetCurrentImage(Session& session, Block block);
// The picture on show changed only the colours of its own table (an exposure): the window
// repaints them and keeps its size and place.
void RecolourCurrentImage(Session& session);
// Installs the bitmap file named by the current file path.
bool OpenBitmapAsCurrent(Session& session);
// Releases every image block of the session and clears the picture on show.
void FreeCurrentImage(Session& session);
// Sets the caption for the picture on show and asks the window to fit it; a picture of a new
// size gets the zoom a new picture opens at.
void FitWindowToImage(Session& session);
// Captions the window for the picture on show at its zoom.
void SetImageCaption(Session& session);

// "Kestrel (NAME WxHxB RGB)", followed by the zoom when it is not 100% ("... 50%"); NAME is
// the part of the path behind the last "\", "/" or ":".
std::string ImageCaption(std::string_view filePath, const BitmapInfoHeader& header,
                         int zoomPercent);

struct ScrollRange {
  int horizontalMax = 0;
  int verticalMax = 0;
};
struct ScrollGeometry {
  int pictureWidth = 0;
  int pictureHeight = 0;
  int clientWidth = 0;   // client size without scroll bars
  int clientHeight = 0;
  int scrollBarWidth = 0;   // width of the vertical bar
  int scrollBarHeight = 0;  // height of the horizontal bar
};
// Two passes: ranges for the bare client area, then for the area that the bars the first pass
// showed leave over.
ScrollRange UpdateScrollRanges(const ScrollGeometry& geometry);

// The current picture at another depth and compression, as Save Bmp writes it; none when
// nothing is on show. The picture on show is replaced by the converted one.
Block ConvertDibFormat(Session& session, uint32_t compression, uint16_t bitCount);

}  // namespace kestrel
