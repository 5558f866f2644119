#include <CLI/CLI.hpp>
#include <malloc.h>

#include <filesystem>

#include "cli/cli.h"

namespace {

// Each file makes and drops pictures of a few megabytes, several times over. Blocks up to the
// largest that glibc keeps in its heap come from there, and freed memory stays for the next
// block rather than going back to the system to be faulted in again, page by page.
constexpr int kLargestHeapBlock = 32 << 20;
constexpr int kFreeMemoryKept = 256 << 20;

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrel::cli;
  mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
  mallopt(M_TRIM_THRESHOLD, kFreeMemoryKept);
  CLI::App app{"Shows, repairs and converts the pictures of small satellites' CCD cameras.",
               "kestrel-cli"};
  app.set_version_flag("--version", KESTREL_VERSION);
  bool answerCancel = false;
  app.add_flag("--cancel", answerCancel, "answer every question Cancel");
  app.require_subcommand(1);
  app.fallthrough();  // so that --cancel may follow the subcommand too
  for (const Subcommand& sub : Subcommands())
    sub.define(*app.add_subcommand(sub.name, sub.description));
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // Help and version go to stdout with status 0; usage errors to stderr.
    return app.exit(error) == 0 ? kExitSuccess : kExitUsage;
  }

  kestrel::ConsolePlatform platform(answerCancel);
  kestrel::Session session(platform, std::filesystem::current_path());
  for (const Subcommand& sub : Subcommands())
    if (app.got_subcommand(sub.name)) return sub.run(session);
  return kExitUsage;  // CLI11 has required exactly one
}
