#include "test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace kestrel::testing {
namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  const char* base = std::getenv("KESTREL_TEST_TMP");
  const fs::path root = base && *base ? fs::path(base) : fs::temp_directory_path();
  path_ = root / ("kestrel-test-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device()()));
  fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  // Tests make folders read-only; give write access back so everything can go.
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  for (fs::recursive_directory_iterator it(path_, ec), end; !ec && it != end; it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return Bytes((std::istreambuf_iterator<char>(in)), {});
}

}  // namespace kestrel::testing
