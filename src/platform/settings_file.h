#pragma once
// The settings store shared by the desktop program and kestrel-cli: one small text file of
// "name=value" lines under the user's configuration directory.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

class SettingsFile {
 public:
  explicit SettingsFile(std::filesystem::path path) : path_(std::move(path)) {}

  // $XDG_CONFIG_HOME/Kestrel/Kestrel.conf, or ~/.config/Kestrel/Kestrel.conf.
  static std::filesystem::path DefaultPath();

  std::optional<std::string> ReadText(std::string_view name) const;
  std::optional<uint32_t> ReadNumber(std::string_view name) const;
  // Each write goes to disk at once, replacing the file whole.
  bool WriteText(std::string_view name, std::string_view value);
  bool WriteNumber(std::string_view name, uint32_t value);

  const std::filesystem::path& path() const { return path_; }

 private:
  std::map<std::string, std::string, std::less<>> Load() const;

  std::filesystem::path path_;
};

}  // namespace kestrel
