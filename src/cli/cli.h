#pragma once
// kestrel-cli: subcommands register themselves, each from its own source file; main parses the
// words with CLI11 and runs the one named.
// Exit status: 0 success, 1 the operation failed (after its message), 2 usage error.

#include <CLI/CLI.hpp>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
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
// Prints "kestrel-cli: " and the formatted text to stderr; returns kExitFailure.
int Complain(const char* format, ...) __attribute__((format(printf, 1, 2)));

// EnterFile lives in the core, shared with the desktop program.
using kestrel::EnterFile;

// An output path as the user typed it, made absolute against the process's directory.
std::filesystem::path OutputPath(const std::string& typed);

// Whether `output` is the very file of one of `inputs` (names in the session's folder, found
// as the program finds them, ignoring case), however either is spelt: a hard link, "./x" for
// "X". If so it says so on stderr, naming both, and nothing may be written.
bool OutputIsAnInput(const Session& session, const std::filesystem::path& output,
                     std::initializer_list<std::string_view> inputs);

enum class PictureFormat { Bmp, Png };
// The format an output's extension names, in any case; none for any other extension.
std::optional<PictureFormat> PictureFormatOf(const std::filesystem::path& out);

// A lasting picture is packed small and on the disk before its write counts as done; a
// thumbnail, which file managers make again at will, is packed quickly and left to the cache.
enum class PictureKind { Lasting, Thumbnail };

// Writes a packed DIB: ".png" through libpng, ".bmp" as a bitmap file byte for byte. Shows
// "Unable to save the specified file" on failure, then the file and the reason.
bool WritePicture(Session& session, const Bytes& dib, const std::filesystem::path& out,
                  PictureKind kind = PictureKind::Lasting);

// std::thread::hardware_concurrency(), or 1 when the system does not say.
unsigned HardwareThreads();

// The files a subcommand works on and where their pictures go: -o for one file, or --outdir
// for any number, each written as DIR/<its name without the extension>.<format>; -j files are
// worked on at once.
struct BatchOptions {
  std::vector<std::string> files;
  std::string out;
  std::string outdir;
  std::string format = "bmp";
  unsigned jobs = HardwareThreads();
};

struct BatchRules {
  const char* filesHelp;
  const char* outHelp;             // of -o; none: the subcommand names its output otherwise
  const char* verb = "converted";  // of the summary line, "N of M converted"
  bool outputRequired = true;      // false: the subcommand has a default output of its own
  bool outIsPrefix = false;        // -o names the prefix of several files, not a picture
  bool pngOnly = false;            // --format takes png alone, which is then the default
  // Whether the run of a file (by its upper-case name) may decode a pair beside it, writing
  // transit files there for a while. Such a run waits for the earlier files whose names its
  // transit files may take, or that may read them, and the later ones wait for it.
  bool (*decodesBeside)(std::string_view name) = nullptr;
};

// Declares FILE..., -o, --outdir, --format and -j on `app`, bound to `options`.
void DefineBatchOptions(CLI::App& app, BatchOptions& options, const BatchRules& rules);

// One file's work: writes what `file` gives to `out` (empty: the subcommand's own default);
// its exit status, after saying why when it is not kExitSuccess. Runs on several threads at
// once in a parallel batch, each with a session of its own.
using ConvertOne = std::function<int(Session& session, const std::string& file,
                                      const std::filesystem::path& out)>;

// Runs `convertOne` for each file, each in a fresh session. One file without --outdir runs as
// it is; a batch (--outdir, or several files) reports each failed file and goes on, shows its
// progress on a terminal, and ends with "N of M converted". With -j above 1 the files run on
// that many threads, and each file's messages are printed whole once it and every file before
// it are done, so stderr reads as with -j 1. kExitSuccess when all succeeded.
int RunBatch(Session& session, const BatchOptions& options, const BatchRules& rules,
             const ConvertOne& convertOne);

}  // namespace kestrel::cli
