#include "shell/settings.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "base/text.h"
#include "location/two_line_elements.h"
#include "platform/files.h"
#include "platform/settings_file.h"
#include "session/session.h"

namespace kestrel {
namespace fs = std::filesystem;
namespace {

struct TextSetting {
  std::string_view name;
  std::string Settings::*field;
};
struct NumberSetting {
  std::string_view name;
  uint32_t Settings::*field;
};
// In the order they are written.
constexpr TextSetting kTextSettings[] = {
    {"WiSP.Kep Directory", &Settings::elementSetDirectory},
    {"WiSP.Obs Directory", &Settings::placesDirectory},
    {"Images Directory", &Settings::imagesDirectory},
    {"Initialised", &Settings::initialised},
    {"TLE File", &Settings::twoLineElementFile},
};
constexpr NumberSetting kNumberSettings[] = {
    {"Select Image Sets", &Settings::selectImageSets},
    {"Select Sharpen", &Settings::selectSharpen},
};

constexpr std::string_view kElementSetFileName = "WiSP.Kep";
constexpr std::string_view kPlacesFileName = "WiSP.Obs";
constexpr std::string_view kInitialisedMarker = "Yes";
constexpr std::string_view kDefaultWispDirectory = "c:\\Wisp";
constexpr std::string_view kDefaultImagesDirectory = "c:\\Wisp\\Images";
constexpr std::string_view kHomeDirectory = "~";
constexpr std::string_view kFirstRunCaption = "Kestrel";
constexpr std::string_view kFirstRunText =
    "REGISTRY INITIALISATION !!!\n"
    "Please enter the drive, path and directory\n"
    "(if applicable) for the files and locations\n"
    "nominated. If the information entered is not\n"
    "correct you will receive an error message.\n"
    "Correct the info entered or CANCEL to exit.\n\n"
    "My directories are the defaults, de Quillon\n";
constexpr std::string_view kStoreFailureText = "Failed to Create Registry Key";
constexpr std::string_view kStoreFailureCaption = "Kestrel Error";

// A typed directory and a file name as the user reads them in a message.
std::string JoinedPath(std::string_view directory, std::string_view name) {
  return std::string(directory) + "/" + std::string(name);
}

// The file `name` in the directory a setting names, whatever the case of either.
std::optional<fs::path> FindSettingFile(std::string_view directory, std::string_view name,
                                        const fs::path& base, const HostFolders& folders) {
  const auto resolved = ResolveSettingDirectory(directory, base, folders);
  if (!resolved) return std::nullopt;
  return FindFileIgnoringCase(*resolved, name);
}

// Where the report will look for `name`: the file when it is there, else a path that names
// the setting in the report's message.
fs::path SettingFilePath(std::string_view directory, std::string_view name, const fs::path& base,
                         const HostFolders& folders) {
  if (const auto found = FindSettingFile(directory, name, base, folders)) return *found;
  if (const auto resolved = ResolveSettingDirectory(directory, base, folders))
    return *resolved / name;
  return JoinedPath(directory, name);
}

std::optional<fs::path> ExistingDirectory(std::string_view typed, const fs::path& base,
                                          const HostFolders& folders) {
  const auto resolved = ResolveSettingDirectory(typed, base, folders);
  std::error_code ec;
  if (!resolved || !fs::is_directory(*resolved, ec)) return std::nullopt;
  return resolved;
}

// A typed file or directory on this system; as typed when it leads nowhere, so that a
// message names it.
fs::path TypedPath(std::string_view typed, const fs::path& base, const HostFolders& folders) {
  return ResolveSettingDirectory(typed, base, folders).value_or(fs::path(typed));
}

// Puts the settings the state holds to use: the files they name and the two defaults. An
// empty directory or file setting names none.
void UseSettings(Session& session, const HostFolders& folders) {
  ImageState& state = session.state;
  Settings& settings = state.settings;
  const fs::path base = session.currentDirectory;
  settings.elementSetFile.clear();
  if (!settings.twoLineElementFile.empty())
    settings.elementSetFile = TypedPath(settings.twoLineElementFile, base, folders);
  else if (!settings.elementSetDirectory.empty())
    settings.elementSetFile =
        SettingFilePath(settings.elementSetDirectory, kElementSetFileName, base, folders);
  settings.placesFile.clear();
  if (!settings.placesDirectory.empty())
    settings.placesFile = SettingFilePath(settings.placesDirectory, kPlacesFileName, base, folders);
  state.processing.decompressAsColourSet = settings.selectImageSets == 1;
  state.sharpenAfterLoad = settings.selectSharpen == 1;
}

}  // namespace

std::optional<fs::path> ImagesDirectory(const Session& session) {
  return ExistingDirectory(session.state.settings.imagesDirectory, session.currentDirectory,
                           HostFolders::FromEnvironment());
}

void EnterImagesDirectory(Session& session) {
  if (const auto images = ImagesDirectory(session)) session.currentDirectory = *images;
}

namespace {

// Whether a two-line element file typed into the dialog can be read and holds a set; says
// why not.
bool AcceptTwoLineElementFile(Session& session, const std::string& typed, const fs::path& base,
                              const HostFolders& folders) {
  // A file whose first scan finds no set holds none that the report would use.
  const auto start = ReadFilePrefix(TypedPath(typed, base, folders), kTwoLineScanLimit);
  if (!start) {
    ShowErrorBox(session, "Cannot locate and open file\n%s", typed.c_str());
    return false;
  }
  if (!IsTwoLineElementText(*start) || ParseTwoLineElements(AsText(*start)).sets.empty()) {
    ShowErrorBox(session, "There are no two-line element sets in\n%s", typed.c_str());
    return false;
  }
  return true;
}

// One OK of the dialog: the entries are taken only when the ground-station files named can be
// read, a two-line element file named holds sets and the images directory exists; until
// then the state keeps what it had. An empty ground-station or element file field names none.
bool AcceptEntries(Session& session, const RegisterFilesForm& entries) {
  const HostFolders folders = HostFolders::FromEnvironment();
  const fs::path& base = session.currentDirectory;
  const std::pair<const std::string&, std::string_view> files[] = {
      {entries.elementSetDirectory, kElementSetFileName},
      {entries.placesDirectory, kPlacesFileName}};
  for (const auto& [directory, name] : files) {
    if (directory.empty()) continue;
    // Opened for reading only: the ground-station software's files are never locked or made.
    const auto file = FindSettingFile(directory, name, base, folders);
    if (!file || !ReadFilePrefix(*file, 0)) {
      ShowErrorBox(session, "Cannot locate and open file\n%s", JoinedPath(directory, name).c_str());
      return false;
    }
  }
  if (!entries.twoLineElementFile.empty() &&
      !AcceptTwoLineElementFile(session, entries.twoLineElementFile, base, folders))
    return false;
  if (!ExistingDirectory(entries.imagesDirectory, base, folders)) {
    ShowErrorBox(session, "Could not set Directory to\n%s", entries.imagesDirectory.c_str());
    return false;
  }
  Settings& settings = session.state.settings;
  settings.elementSetDirectory = entries.elementSetDirectory;
  settings.placesDirectory = entries.placesDirectory;
  settings.imagesDirectory = entries.imagesDirectory;
  settings.twoLineElementFile = entries.twoLineElementFile;
  settings.selectImageSets = entries.imageSets ? 1 : 0;
  settings.selectSharpen = entries.sharpen ? 1 : 0;
  UseSettings(session, folders);
  EnterImagesDirectory(session);
  SaveSettings(session);
  return true;
}

}  // namespace

bool LoadSettings(Session& session) {
  Platform& platform = session.platform;
  Settings loaded = session.state.settings;
  loaded.initialised.clear();
  bool found = false;
  // A value that is missing leaves its field as it was.
  for (const TextSetting& setting : kTextSettings) {
    if (auto value = platform.ReadSettingText(setting.name)) {
      loaded.*setting.field = std::move(*value);
      found = true;
    }
  }
  for (const NumberSetting& setting : kNumberSettings) {
    if (const auto value = platform.ReadSettingNumber(setting.name)) {
      loaded.*setting.field = *value;
      found = true;
    }
  }
  if (!found) return false;
  session.state.settings = std::move(loaded);
  UseSettings(session, HostFolders::FromEnvironment());
  return true;
}

bool SaveSettings(Session& session) {
  Platform& platform = session.platform;
  Settings& settings = session.state.settings;
  settings.initialised = kInitialisedMarker;
  for (const TextSetting& setting : kTextSettings)
    platform.WriteSettingText(setting.name, settings.*setting.field);
  for (const NumberSetting& setting : kNumberSettings)
    platform.WriteSettingNumber(setting.name, settings.*setting.field);
  // The store does not answer its writes, so what it kept is read back.
  bool kept = true;
  for (const TextSetting& setting : kTextSettings)
    kept = kept && platform.ReadSettingText(setting.name) == settings.*setting.field;
  for (const NumberSetting& setting : kNumberSettings)
    kept = kept && platform.ReadSettingNumber(setting.name) == settings.*setting.field;
  if (!kept) ShowMessage(session, kStoreFailureText, kStoreFailureCaption);
  return kept;
}

void RunSettingsDialog(Session& session) {
  LoadSettings(session);
  const Settings& settings = session.state.settings;
  RegisterFilesForm form{settings.elementSetDirectory, settings.placesDirectory,
                         settings.imagesDirectory, settings.selectImageSets == 1,
                         settings.selectSharpen == 1, settings.twoLineElementFile};
  if (settings.initialised.find(kInitialisedMarker) == std::string::npos) {
    ShowMessage(session, kFirstRunText, kFirstRunCaption, BoxIcon::None);
    // The ground-station program's folders when it is installed here; otherwise none, and the
    // home folder for the pictures, so that a first OK succeeds without it.
    const HostFolders folders = HostFolders::FromEnvironment();
    const fs::path& base = session.currentDirectory;
    const bool groundStation = ExistingDirectory(kDefaultWispDirectory, base, folders).has_value();
    form.elementSetDirectory = groundStation ? kDefaultWispDirectory : "";
    form.placesDirectory = form.elementSetDirectory;
    form.imagesDirectory = ExistingDirectory(kDefaultImagesDirectory, base, folders)
                               ? kDefaultImagesDirectory
                               : kHomeDirectory;
  }
  session.platform.RunRegisterFilesDialog(form, [&session](const RegisterFilesForm& entries) {
    return AcceptEntries(session, entries);
  });
}

}  // namespace kestrel
