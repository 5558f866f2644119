#pragma once
// The folder a fuzz target writes its inputs into: one per process, emptied for every input.

#include <unistd.h>

#include <filesystem>
#include <string>

namespace kestrel::fuzz {

inline const std::filesystem::path& EmptiedFolder(const char* target) {
  static const std::filesystem::path folder = [target] {
    auto made = std::filesystem::temp_directory_path() /
                ("kestrel-fuzz-" + std::string(target) + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(made);
    return made;
  }();
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    std::filesystem::remove_all(entry.path());
  return folder;
}

}  // namespace kestrel::fuzz
