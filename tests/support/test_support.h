#pragma once
// Helpers shared by the tests: a fresh folder per test, whole files, a scripted session.

#include <filesystem>
#include <string>
#include <string_view>

#include "base/block.h"
#include "platform/scripted_platform.h"
#include "session/session.h"

namespace kestrel::testing {

// A new empty folder, removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadBytes(const std::filesystem::path& path);

// A session over a scripted platform, working in a scratch folder.
struct SessionFixture {
  ScratchDir dir;
  ScriptedPlatform platform;
  Session session{platform, dir.path()};
};

}  // namespace kestrel::testing
