#include "shell/gallery.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <map>
#include <set>
#include <system_error>

#include "base/text.h"
#include "codec/decompression.h"
#include "codec/pair_format.h"
#include "location/report.h"
#include "platform/files.h"
#include "session/session.h"
#include "shell/file_thumbnail.h"
#include "shell/open_file.h"
#include "shell/settings.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// A thumbnail job's world: no window, no settings, no clipboard. Questions are answered OK as
// a batch answers them, and the first box is kept as the reason the file gave no picture.
class SilentPlatform final : public Platform {
 public:
  std::string firstMessage;

  BoxAnswer ShowMessageBox(std::string_view text, std::string_view, BoxIcon, BoxButtons) override {
    if (firstMessage.empty()) firstMessage = text;
    return BoxAnswer::Ok;
  }
  void PushWaitCursor() override {}
  void PopCursor() override {}
  std::unique_ptr<ProgressWindow> OpenProgressWindow(const ProgressRequest&) override {
    return std::make_unique<NoProgress>();
  }
  void OpenLoadingLog() override {}
  void ShowLoadingText(std::string_view) override {}
  void CloseLoadingLog() override {}
  bool RunRegisterFilesDialog(const RegisterFilesForm&,
                              const std::function<bool(const RegisterFilesForm&)>&) override {
    return false;
  }
  std::optional<FileChoice> ChooseFileToOpen(const FileChooserRequest&) override { return std::nullopt; }
  std::optional<FileChoice> ChooseFileToSave(const FileChooserRequest&) override { return std::nullopt; }
  bool ClipboardHasDib() override { return false; }
  std::optional<std::vector<uint8_t>> ReadClipboardDib() override { return std::nullopt; }
  void WriteClipboardDib(const std::vector<uint8_t>&) override {}
  std::optional<std::string> ReadSettingText(std::string_view) override { return std::nullopt; }
  std::optional<uint32_t> ReadSettingNumber(std::string_view) override { return std::nullopt; }
  void WriteSettingText(std::string_view, std::string_view) override {}
  void WriteSettingNumber(std::string_view, uint32_t) override {}
  uint32_t TickCount() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }
  void Pause(uint32_t) override {}
  void SetWindowCaption(std::string_view) override {}
  void PictureChanged(PictureChange) override {}

 private:
  struct NoProgress final : ProgressWindow {
    void SetRange(int, int) override {}
    void SetStep(int) override {}
    void StepIt() override {}
    void SetPosition(int) override {}
  };
};

bool IsPlaneName(const std::string& upper, char plane) {
  return upper.size() > 2 && upper.starts_with("TM") && upper[2] == plane;
}

// The same name with another plane's digit.
std::string PlaneName(std::string upper, char plane) {
  upper[2] = plane;
  return upper;
}

int64_t CaptureTimeOf(const fs::path& file, const std::string& upperName) {
  const std::optional<Bytes> prefix = ReadFilePrefix(file, kCameraHeaderLength);
  if (!prefix || prefix->size() < kCameraHeaderLength) return 0;
  // Only a camera header holds a time; other files begin with pixels. Whether there is one is
  // decided as opening the file decides it: by its name, or by the picture size it gives.
  if (IdentifyByName(upperName).headerLength != kCameraHeaderLength && !ProbeHeaderSize(*prefix))
    return 0;
  std::array<uint8_t, kCameraHeaderLength> header{};
  std::copy_n(prefix->begin(), kCameraHeaderLength, header.begin());
  return HeaderCaptureTime(header, upperName);
}

}  // namespace

std::vector<GalleryEntry> ListGalleryFolder(const fs::path& folder) {
  // Every name once, upper-cased as the program addresses files, with the name on disk.
  std::map<std::string, fs::path> files;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    files.emplace(ToUpperAscii(it->path().filename().string()), it->path());
  }
  const auto present = [&](const std::string& upper) { return !upper.empty() && files.contains(upper); };

  std::set<std::string> partOfAnother;  // compressed files of listed pairs, sibling planes
  std::vector<GalleryEntry> entries;
  for (const auto& [upper, path] : files) {
    const NameMeaning meaning = MeaningOfName(upper);
    if (meaning.kind == FileKind::Unknown || upper.ends_with(".IMW")) continue;
    GalleryEntry entry{.file = path, .name = path.filename().string(), .satellite = meaning.satellite,
                       .kind = std::string(FileKindName(meaning.kind))};
    if (meaning.kind == FileKind::SpectralPlane) {
      // A set is listed once, by its first plane present, when all three lie here.
      const bool set = present(PlaneName(upper, '1')) && present(PlaneName(upper, '2')) &&
                       present(PlaneName(upper, '3'));
      if (set && !IsPlaneName(upper, '1')) continue;
      if (set) entry.kind = "colour set";
      entry.colourSet = set;
    }
    if (meaning.kind == FileKind::Thumbnail) {
      for (const bool secondNumbering : {false, true}) {
        const std::string compressed = DecoderNamesFor(upper, secondNumbering).compressed;
        if (!present(compressed)) continue;
        partOfAnother.insert(compressed);
        entry.kind = "compressed pair";
        entry.pair = true;
      }
    }
    if (meaning.kind != FileKind::Bitmap) entry.captureTime = CaptureTimeOf(path, upper);
    entries.push_back(std::move(entry));
  }
  std::erase_if(entries, [&](const GalleryEntry& entry) {
    return partOfAnother.contains(ToUpperAscii(entry.name));
  });
  return entries;
}

std::vector<size_t> ArrangeGallery(const std::vector<GalleryEntry>& entries, GalleryOrder order,
                                   const GalleryFilter& filter) {
  std::vector<size_t> shown;
  for (size_t i = 0; i < entries.size(); ++i)
    if (filter.Accepts(entries[i])) shown.push_back(i);
  const auto name = [&](size_t i) { return ToUpperAscii(entries[i].name); };
  // No capture time sorts after every time.
  const auto time = [&](size_t i) {
    return entries[i].captureTime == 0 ? std::numeric_limits<int64_t>::max() : entries[i].captureTime;
  };
  const auto satellite = [&](size_t i) { return static_cast<int>(entries[i].satellite); };
  std::stable_sort(shown.begin(), shown.end(), [&](size_t a, size_t b) {
    switch (order) {
      case GalleryOrder::Name: break;
      case GalleryOrder::CaptureTime:
        if (time(a) != time(b)) return time(a) < time(b);
        break;
      case GalleryOrder::Satellite:
        if (satellite(a) != satellite(b)) return satellite(a) < satellite(b);
        if (time(a) != time(b)) return time(a) < time(b);
        break;
    }
    return name(a) < name(b);
  });
  return shown;
}

bool GalleryFilter::Accepts(const GalleryEntry& entry) const {
  return (satellite.empty() || SatelliteName(entry.satellite) == satellite) &&
         (kind.empty() || entry.kind == kind);
}

std::string CaptureTimeText(const GalleryEntry& entry) {
  if (entry.captureTime == 0) return {};
  const std::tm utc = UtcCalendarFields(entry.captureTime);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return text;
}

std::string GalleryItemName(const GalleryEntry& entry) {
  std::string text = entry.name;
  text += ", ";
  if (entry.satellite != Satellite::Unknown) {
    text += SatelliteName(entry.satellite);
    text += ' ';
  }
  text += entry.kind;
  if (entry.captureTime != 0) {
    text += ", captured ";
    text += CaptureTimeText(entry);
  }
  return text;
}

GalleryThumbnail MakeGalleryThumbnail(const GalleryEntry& entry, uint32_t longestEdge) {
  SilentPlatform platform;
  Session session(platform, entry.file.parent_path());
  GalleryThumbnail result;
  try {
    result.dib = ThumbnailOfFile(session, entry.file, longestEdge);
  } catch (const std::bad_alloc&) {
    ShowOutOfMemory(session);
  }
  if (!result.dib) result.problem = platform.firstMessage.empty() ? "No picture" : platform.firstMessage;
  return result;
}

bool OpenGalleryEntry(Session& session, const GalleryEntry& entry) {
  const std::string upper = ToUpperAscii(entry.name);
  if (const auto preset = ActPresetForName(upper); preset && upper.ends_with(".ACT")) {
    LoadSettings(session);
    EnterFile(session, entry.file);
    return PreviewActDownload(session, *preset);
  }
  if (entry.pair) {
    LoadSettings(session);
    EnterFile(session, entry.file);
    return DecompressSingleImage(session);
  }
  return CommandLineOpen(session, entry.file, entry.colourSet);
}

}  // namespace kestrel
