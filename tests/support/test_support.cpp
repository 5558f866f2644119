#include "test_support.h"

#include <sys/wait.h>
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

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const fs::path& workingDirectory) {
  // stdout and stderr go to files so that neither pipe can fill up and stall the child.
  const ScratchDir capture;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0) ::_exit(127);
    if (!std::freopen((capture / "out").c_str(), "w", stdout) ||
        !std::freopen((capture / "err").c_str(), "w", stderr))
      ::_exit(127);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ProcessResult result;
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) < 0) return result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  for (auto [name, text] : {std::pair{"out", &result.out}, std::pair{"err", &result.err}}) {
    const Bytes bytes = ReadBytes(capture / name);
    text->assign(bytes.begin(), bytes.end());
  }
  return result;
}

}  // namespace kestrel::testing
