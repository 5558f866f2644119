#include "shell/bitmap_commands.h"

#include <algorithm>
#include <cctype>
#include <span>
#include <system_error>

#include "base/text.h"
#include "bitmap/bitmap_file.h"
#include "bitmap/png_file.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "session/current_image.h"
#include "session/image_state.h"
#include "session/session.h"
#include "shell/open_file.h"

namespace kestrel {
namespace {

constexpr std::string_view kBitmapPattern = "*.BMP;*.DIB;*.RLE";
constexpr std::string_view kOpenTitle = "Select a DIB to display";
constexpr std::string_view kSaveTitle = "Select File to save DIB to";
constexpr const char* kClipboardName = "<Clipboard>";
constexpr const char* kSaveFailed = "Unable to save the specified file";

constexpr uint16_t kDepthBits = kFormat1Bpp | kFormat4Bpp | kFormat8Bpp | kFormat24Bpp;
constexpr uint16_t kCompressionBits = kFormatRle4 | kFormatRle8 | kFormatRgb;

struct FormatButton {
  uint16_t bit;
  uint32_t value;  // bit count or compression
};
constexpr FormatButton kDepthButtons[] = {
    {kFormat1Bpp, 1}, {kFormat4Bpp, 4}, {kFormat8Bpp, 8}, {kFormat24Bpp, 24}};
constexpr FormatButton kCompressionButtons[] = {{kFormatRle4, kCompressionRle4},
                                                {kFormatRle8, kCompressionRle8},
                                                {kFormatRgb, kCompressionRgb}};

const FormatButton* CheckedButton(uint16_t formatWord, std::span<const FormatButton> group) {
  for (const FormatButton& button : group)
    if (formatWord & button.bit) return &button;
  return nullptr;
}

uint16_t ButtonFor(uint32_t value, std::span<const FormatButton> group) {
  for (const FormatButton& button : group)
    if (button.value == value) return button.bit;
  return 0;
}

// A word as the panel could hold it: one compression, and a depth that it allows.
uint16_t LegalFormatWord(uint16_t formatWord) {
  const FormatButton* compression = CheckedButton(formatWord, kCompressionButtons);
  return compression ? ClickCompression(formatWord, compression->bit) : formatWord;
}

// A name with "*" or "?" is a pattern to list rather than a file to take.
bool IsNamePattern(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

std::string_view WithoutTrailingSeparator(std::string_view name) {
  if (!name.empty() && (name.back() == '/' || name.back() == '\\')) name.remove_suffix(1);
  return name;
}

// The text from the first "." of the pattern's first name pattern; none when that is itself a pattern.
std::string PatternExtension(std::string_view pattern) {
  const std::vector<std::string> names = PatternNames(pattern);
  if (names.empty()) return {};
  const size_t dot = names.front().find('.');
  if (dot == std::string::npos) return {};
  const std::string extension = names.front().substr(dot);
  return IsNamePattern(extension) ? std::string{} : extension;
}

bool IsPngName(const std::filesystem::path& file) {
  return ToUpperAscii(file.extension().string()) == ".PNG";
}

}  // namespace

std::vector<std::string> PatternNames(std::string_view pattern) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= pattern.size()) {
    const size_t end = std::min(pattern.find(';', start), pattern.size());
    if (end > start) names.emplace_back(pattern.substr(start, end - start));
    start = end + 1;
    while (start < pattern.size() && pattern[start] == ' ') ++start;
  }
  return names;
}

std::string CompletedName(std::string_view typed, std::string_view pattern) {
  std::string name(typed);
  const size_t separator = name.find_last_of("\\/");
  const size_t fileStart = separator == std::string::npos ? 0 : separator + 1;
  for (size_t i = fileStart; i < name.size(); ++i)
    name[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
  // ".." and "." lead to a folder; a dot behind them starts an extension.
  const size_t firstNonDot = name.find_first_not_of('.', fileStart);
  if (firstNonDot == std::string::npos || name.find('.', firstNonDot) == std::string::npos)
    name += PatternExtension(pattern);
  return name;
}

uint16_t AllowedDepths(uint16_t compressionBit) {
  switch (compressionBit) {
    case kFormatRle4: return kFormat4Bpp;
    case kFormatRle8: return kFormat8Bpp;
    default: return kDepthBits;
  }
}

uint16_t ClickCompression(uint16_t formatWord, uint16_t compressionBit) {
  auto word = static_cast<uint16_t>((formatWord & ~kCompressionBits) | compressionBit);
  const uint16_t allowed = AllowedDepths(compressionBit);
  if (word & kDepthBits & ~allowed) word = static_cast<uint16_t>((word & ~kDepthBits) | allowed);
  return word;
}

uint16_t FormatWordFor(const BitmapInfoHeader& picture) {
  return static_cast<uint16_t>(ButtonFor(picture.biCompression, kCompressionButtons) |
                               ButtonFor(picture.biBitCount, kDepthButtons));
}

BitmapFormat ChosenFormat(uint16_t formatWord, const BitmapInfoHeader& picture) {
  const uint16_t own = FormatWordFor(picture);
  uint16_t word = formatWord;
  if (!(word & kCompressionBits)) word |= own & kCompressionBits;
  if (!(word & kDepthBits)) word |= own & kDepthBits;
  word = LegalFormatWord(word);
  BitmapFormat format{picture.biCompression, picture.biBitCount};
  if (const FormatButton* compression = CheckedButton(word, kCompressionButtons))
    format.compression = compression->value;
  if (const FormatButton* depth = CheckedButton(word, kDepthButtons))
    format.bitCount = static_cast<uint16_t>(depth->value);
  return format;
}

std::optional<ChosenFile> ChooseFile(Session& session, const FileDialogRequest& request) {
  // The dialog browses on its own: a folder entered and then cancelled leaves the session's
  // directory, which the bare name of the picture on show is relative to, as it was.
  std::filesystem::path directory = session.currentDirectory;
  std::string pattern = request.pattern;
  for (;;) {
    FileChooserRequest ask{request.title, directory.string(), {{pattern, PatternNames(pattern)}},
                           {}, std::nullopt};
    if (request.save) ask.formatWord = request.formatWord;
    const std::optional<FileChoice> choice = request.save ? session.platform.ChooseFileToSave(ask)
                                                          : session.platform.ChooseFileToOpen(ask);
    if (!choice) return std::nullopt;
    const std::string_view typed = WithoutTrailingSeparator(choice->path);
    const std::filesystem::path typedPath = directory / typed;
    std::error_code error;
    if (std::filesystem::is_directory(typedPath, error)) {
      directory = typedPath;
      continue;
    }
    if (IsNamePattern(typed)) {
      directory = typedPath.parent_path();
      pattern = typedPath.filename().string();
      continue;
    }
    const std::filesystem::path named = directory / CompletedName(typed, pattern);
    const auto existing = FindFileIgnoringCase(named.parent_path(), named.filename().string());
    if (!existing && !request.save) continue;  // opening needs a file that is there
    return ChosenFile{existing.value_or(named), LegalFormatWord(choice->formatWord)};
  }
}

bool OpenBmpCommand(Session& session) {
  ImageState& s = session.state;
  s.processing.enhancedAvailable = false;
  s.processing.originalAvailable = false;
  s.processing.rotationAvailable = false;
  s.processing.darkenAvailable = false;
  s.processing.lightenAvailable = false;
  s.openedFromShell = false;
  const auto chosen = ChooseFile(session, {std::string(kOpenTitle), std::string(kBitmapPattern)});
  if (!chosen) return true;
  EnterFile(session, chosen->path);
  WaitCursor wait(session.platform);
  if (OpenBitmapAsCurrent(session)) return true;
  s.current.imageDisplayable = false;
  return false;
}

bool SaveBmpCommand(Session& session) {
  ImageState& s = session.state;
  const Block& header = s.current.currentHeader;
  const BitmapInfoHeader picture =
      (header ? GetDibInfo(*header) : std::nullopt).value_or(BitmapInfoHeader{});
  s.currentFilePath = "*.BMP";  // what a cancelled dialog leaves
  const auto chosen = ChooseFile(session, {std::string(kSaveTitle), std::string(kBitmapPattern),
                                           true, FormatWordFor(picture)});
  if (!chosen) return true;
  EnterFile(session, chosen->path);

  if (IsPngName(chosen->path)) {
    // The picture as shown, whatever the format panel says: PNG has its own depths.
    const std::optional<Bytes> png =
        s.current.imageDisplayable && s.current.currentDib ? EncodePng(*s.current.currentDib) : std::nullopt;
    WaitCursor wait(session.platform);
    if (!png || !WriteFileReplacing(chosen->path, *png)) return ShowErrorBox(session, "%s", kSaveFailed) != 0;
    return true;
  }
  // The picture's own format comes back as it is, so an RLE file is not encoded again.
  const BitmapFormat format = ChosenFormat(chosen->formatWord, picture);
  const Block saved = ConvertDibFormat(session, format.compression, format.bitCount);
  if (!saved) return ShowErrorBox(session, "%s", kSaveFailed) != 0;
  WaitCursor wait(session.platform);
  if (!WriteBitmapFile(chosen->path, *saved)) return ShowErrorBox(session, "%s", kSaveFailed) != 0;
  return true;
}

bool PasteDibCommand(Session& session) {
  ResetProcessingState(session);
  session.state.fileHeaderBuffer.fill(0);
  WaitCursor wait(session.platform);
  if (!session.platform.ClipboardHasDib()) return true;
  std::optional<Bytes> dib = session.platform.ReadClipboardDib();
  // The clipboard holds a picture that no DIB within the picture limit can carry.
  if (!dib) {
    ShowPictureTooLarge(session, kClipboardName);
    return false;
  }
  // Checked before the picture on show is released, so a bad clipboard costs nothing.
  if (!IsWellFormedDib(*dib))
    return ShowErrorBox(session, "%s is not a Legitimate DIB File!", kClipboardName) != 0;
  FreeCurrentImage(session);
  session.state.currentFilePath = kClipboardName;
  return SetCurrentImage(session, std::make_shared<Bytes>(std::move(*dib)));
}

int CopyCommand(Session& session) {
  const CurrentImage& current = session.state.current;
  if (!current.imageDisplayable || !current.currentDib) return 0;
  session.platform.WriteClipboardDib(*current.currentDib);
  return 1;
}

}  // namespace kestrel
