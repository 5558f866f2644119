#pragma once
// kestrel-cli: subcommands register themselves, each from its own source file; main parses the
// words with CLI11 and runs the one named.
// Exit status: 0 success, 1 the operation failed (after its message), 2 usage error.

#include <CLI/CLI.hpp>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "cli/console_platform.h"
#include "session/session.h"
#include "shell/open_file.h"

namespace kestrel::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct Subcommand {
  const char* name;
  const char* description;  // the line that --help shows for it
  // Declares the subcommand's files and options on its app, bound to what `run` reads.
  void (*define)(CLI::App& app);
  int (*run)(Session& session);
};

// Subcommands register themselves through a static Registrar.
class Registrar {
 public:
  explicit Registrar(const Subcommand& subcommand);
};
// Every registered subcommand, by name.
const std::vector<Subcommand>& Subcommands();

// Prints "kestrel-cli: <message>" to stderr; returns kExitUsage.
int UsageError(std::string_view message);

// EnterFile lives in the core, shared with the desktop program.
using kestrel::EnterFile;

// An output path as the user typed it, made absolute against the process's directory.
std::filesystem::path OutputPath(const std::string& typed);

// Whether `output` is the very file of one of `inputs` (names in the session's folder, found
// as the program finds them, ignoring case), however either is spelt: a hard link, "./x" for
// "X". If so it says so on stderr, naming both, and nothing may be written.
bool OutputIsAnInput(const Session& session, const std::filesystem::path& output,
                     std::initializer_list<std::string_view> inputs);

// Writes a packed DIB: ".png" through libpng, anything else as a bitmap file byte for byte.
// Shows "Unable to save the specified file" on failure, then the file and the reason.
bool WritePicture(Session& session, const Bytes& dib, const std::filesystem::path& out);

}  // namespace kestrel::cli
