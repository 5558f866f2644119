#pragma once
// A folder of the benchmark run's own under the system's temporary folder, made on first use
// and removed with everything in it when the program ends.

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace kestrel::bench {

class ScratchFolder {
 public:
  ScratchFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("kestrel-bench-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The run's folder; static, so it goes when main returns.
inline const std::filesystem::path& Scratch() {
  static const ScratchFolder folder;
  return folder.path();
}

}  // namespace kestrel::bench
