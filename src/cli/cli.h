#pragma once
// kestrel-cli: subcommands register themselves; main parses the words and runs one.
// Exit status: 0 success, 1 the operation failed (after its message), 2 usage error.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/console_platform.h"
#include "shell/open_file.h"
#include "session/session.h"

namespace kestrel::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct Arguments {
  std::vector<std::string> files;                             // positional words
  std::vector<std::pair<std::string, std::string>> options;   // in the order given
  std::vector<std::string> flags;

  // The last value of an option, or none.
  std::optional<std::string> Value(std::string_view name) const;
  // Every value of a repeatable option, in order.
  std::vector<std::string> Values(std::string_view name) const;
  bool Has(std::string_view flag) const;
};

struct Subcommand;

struct Context {
  Session& session;
  const Subcommand& subcommand;
  Arguments args;
};

struct Subcommand {
  std::string name;
  std::string usage;                        // e.g. "convert FILE -o OUT [--bits 1|4|8|24]"
  std::vector<std::string> valueOptions;    // options that take a value, e.g. "-o"
  std::vector<std::string> flagOptions;     // options without one, e.g. "--rle"
  size_t minFiles = 1;
  size_t maxFiles = 1;
  int (*run)(Context&) = nullptr;
};

// Subcommands register themselves from their own source files through a static Registrar.
class Registrar {
 public:
  explicit Registrar(Subcommand subcommand);
};
const std::vector<Subcommand>& Subcommands();

// Prints "kestrel-cli: <message>" and the subcommand's usage to stderr; returns kExitUsage.
int UsageError(const Context& context, std::string_view message);

// EnterFile lives in the core, shared with the desktop program.
using kestrel::EnterFile;

// An output path as the user typed it, made absolute against the process's directory.
std::filesystem::path OutputPath(const std::string& typed);

// Writes a packed DIB: ".png" through libpng, anything else as a bitmap file byte for byte.
// Shows "Unable to save the specified file" on failure.
bool WritePicture(Session& session, const Bytes& dib, const std::filesystem::path& out);

}  // namespace kestrel::cli
