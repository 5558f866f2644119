#include "platform/settings_file.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <system_error>

#include "base/text.h"
#include "platform/files.h"

namespace kestrel {
namespace fs = std::filesystem;
namespace {
constexpr uint64_t kMaxSettingsSize = 1 << 20;
constexpr std::string_view kSectionLine = "[Kestrel]";
constexpr std::string_view kWineDrives = "dosdevices";

// A write reads the whole store, changes one value and replaces the file: two at once in one
// process would lose one of them. (Reads need no lock: a write replaces the file whole.)
std::mutex storeWrites;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool StartsWithDriveLetter(std::string_view typed) {
  return typed.size() >= 2 && std::isalpha(static_cast<unsigned char>(typed[0])) &&
         typed[1] == ':';
}

// The subdirectory of `parent` named `name` ignoring ASCII case (an exact match wins).
std::optional<fs::path> FindDirectoryIgnoringCase(const fs::path& parent, std::string_view name) {
  std::error_code ec;
  if (fs::is_directory(parent / name, ec)) return parent / name;
  const std::string wanted = ToUpperAscii(name);
  for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
    if (ToUpperAscii(it->path().filename().string()) != wanted) continue;
    std::error_code kind;
    if (fs::is_directory(it->path(), kind)) return it->path();
  }
  return std::nullopt;
}

// "c:\Wisp\Images" under Wine: dosdevices/c: (a link Wine keeps to the drive's folder),
// then each component as Wine would match it.
std::optional<fs::path> ResolveWinePath(std::string_view typed, const fs::path& winePrefix) {
  if (winePrefix.empty()) return std::nullopt;
  const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(typed[0])));
  const fs::path root = winePrefix / kWineDrives / (std::string(1, drive) + ":");
  std::error_code ec;
  if (!fs::is_directory(root, ec)) return std::nullopt;
  fs::path directory = root;
  std::string_view rest = typed.substr(2);
  while (!rest.empty()) {
    const size_t separator = rest.find_first_of("\\/");
    const std::string_view component = rest.substr(0, separator);
    rest = separator == std::string_view::npos ? std::string_view() : rest.substr(separator + 1);
    if (component.empty() || component == ".") continue;
    if (component == "..") {
      if (directory != root) directory = directory.parent_path();  // never above the drive
      continue;
    }
    const auto found = FindDirectoryIgnoringCase(directory, component);
    if (!found) return std::nullopt;
    directory = *found;
  }
  return directory;
}

}  // namespace

HostFolders HostFolders::FromEnvironment() {
  HostFolders folders;
  folders.home = Environment("HOME");
  const std::string prefix = Environment("WINEPREFIX");
  if (!prefix.empty()) {
    folders.winePrefix = prefix;
  } else if (!folders.home.empty()) {
    folders.winePrefix = folders.home / ".wine";
  }
  return folders;
}

std::optional<fs::path> ResolveSettingDirectory(std::string_view typed, const fs::path& base,
                                                const HostFolders& folders) {
  if (StartsWithDriveLetter(typed)) return ResolveWinePath(typed, folders.winePrefix);
  if (!folders.home.empty() && (typed == "~" || typed.starts_with("~/")))
    return folders.home / fs::path(typed.substr(std::min<size_t>(typed.size(), 2)));
  return base / fs::path(typed);
}

std::filesystem::path SettingsFile::DefaultPath() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".config";
  } else {
    base = std::filesystem::temp_directory_path();
  }
  return base / "Kestrel" / "Kestrel.conf";
}

std::optional<SettingsFile::Values> SettingsFile::Load() const {
  Values values;
  FileContents contents = ReadWholeFile(path_, kMaxSettingsSize);
  if (contents.error == FileReadError::Missing) return values;
  if (!contents.ok()) return std::nullopt;
  std::istringstream in(std::string(contents.bytes.begin(), contents.bytes.end()));
  for (std::string line; std::getline(in, line);) {
    if (line.ends_with('\r')) line.pop_back();  // a file edited on Windows
    const size_t equals = line.find('=');
    if (line.empty() || line[0] == '[' || equals == std::string::npos) continue;
    values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

std::optional<std::string> SettingsFile::ReadText(std::string_view name) const {
  const auto values = Load();
  if (!values) return std::nullopt;
  const auto it = values->find(name);
  if (it == values->end()) return std::nullopt;
  return it->second;
}

std::optional<uint32_t> SettingsFile::ReadNumber(std::string_view name) const {
  auto text = ReadText(name);
  if (!text) return std::nullopt;
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (error != std::errc() || end != text->data() + text->size()) return std::nullopt;
  return value;
}

bool SettingsFile::WriteText(std::string_view name, std::string_view value) {
  // Names and values are single lines; a line break would split the entry.
  if (name.find_first_of("=\n\r") != std::string_view::npos ||
      value.find_first_of("\n\r") != std::string_view::npos)
    return false;
  const std::lock_guard lock(storeWrites);
  // A file that is there but cannot be read is left alone rather than replaced by one value.
  auto values = Load();
  if (!values) return false;
  (*values)[std::string(name)] = std::string(value);
  std::string text = std::string(kSectionLine) + "\n";
  for (const auto& [key, stored] : *values) text += key + "=" + stored + "\n";
  std::error_code ec;
  std::filesystem::create_directories(path_.parent_path(), ec);
  return WriteFileReplacing(
      path_, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

bool SettingsFile::WriteNumber(std::string_view name, uint32_t value) {
  return WriteText(name, std::to_string(value));
}

}  // namespace kestrel
