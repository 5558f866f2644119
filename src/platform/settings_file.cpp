#include "platform/settings_file.h"

#include <charconv>
#include <cstdlib>
#include <sstream>
#include <system_error>

#include "platform/files.h"

namespace kestrel {
namespace {
constexpr uint64_t kMaxSettingsSize = 1 << 20;
constexpr std::string_view kSectionLine = "[Kestrel]";
}  // namespace

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

std::map<std::string, std::string, std::less<>> SettingsFile::Load() const {
  std::map<std::string, std::string, std::less<>> values;
  FileContents contents = ReadWholeFile(path_, kMaxSettingsSize);
  if (!contents.ok()) return values;
  std::istringstream in(std::string(contents.bytes.begin(), contents.bytes.end()));
  for (std::string line; std::getline(in, line);) {
    const size_t equals = line.find('=');
    if (line.empty() || line[0] == '[' || equals == std::string::npos) continue;
    values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

std::optional<std::string> SettingsFile::ReadText(std::string_view name) const {
  auto values = Load();
  auto it = values.find(name);
  if (it == values.end()) return std::nullopt;
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
  auto values = Load();
  values[std::string(name)] = std::string(value);
  std::string text = std::string(kSectionLine) + "\n";
  for (const auto& [key, stored] : values) text += key + "=" + stored + "\n";
  std::error_code ec;
  std::filesystem::create_directories(path_.parent_path(), ec);
  return WriteFileReplacing(
      path_, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

bool SettingsFile::WriteNumber(std::string_view name, uint32_t value) {
  return WriteText(name, std::to_string(value));
}

}  // namespace kestrel
