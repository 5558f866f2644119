#pragma once
// The settings store shared by the desktop program and kestrel-cli: one small text file of
// "name=value" lines under the user's configuration directory. Also where the directories
// typed into the settings lie on this system.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// The folders that give a typed directory its meaning here.
struct HostFolders {
  std::filesystem::path home;        // what "~" stands for
  std::filesystem::path winePrefix;  // Wine keeps its drive letters in dosdevices/ below it
  // $HOME, and $WINEPREFIX or else ~/.wine.
  static HostFolders FromEnvironment();
};

// The directory a setting names, as the user typed it. The ground-station software is a
// Windows program, often run under Wine, so a drive-letter path ("c:\Wisp", "D:/wisp/data")
// is found through Wine's drive mapping, each component matched ignoring case as Wine does;
// "\" and "/" both separate. Any other path is a Linux one: "~" is the home folder, and a
// relative path is taken from `base`. None when a drive-letter path leads nowhere.
std::optional<std::filesystem::path> ResolveSettingDirectory(std::string_view typed,
                                                             const std::filesystem::path& base,
                                                             const HostFolders& folders);

class SettingsFile {
 public:
  explicit SettingsFile(std::filesystem::path path) : path_(std::move(path)) {}

  // $XDG_CONFIG_HOME/Kestrel/Kestrel.conf, or ~/.config/Kestrel/Kestrel.conf.
  static std::filesystem::path DefaultPath();

  std::optional<std::string> ReadText(std::string_view name) const;
  std::optional<uint32_t> ReadNumber(std::string_view name) const;
  // Each write goes to disk at once, replacing the file whole; writes from several threads
  // follow one another.
  bool WriteText(std::string_view name, std::string_view value);
  bool WriteNumber(std::string_view name, uint32_t value);

  const std::filesystem::path& path() const { return path_; }

 private:
  using Values = std::map<std::string, std::string, std::less<>>;
  // None when the file exists but cannot be read; a missing file holds no values.
  std::optional<Values> Load() const;

  std::filesystem::path path_;
};

}  // namespace kestrel
