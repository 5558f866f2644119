#include <CLI/CLI.hpp>

#include <filesystem>

#include "cli/cli.h"
#include "platform/process_memory.h"

int main(int argc, char** argv) {
  using namespace kestrel::cli;
  kestrel::KeepFreedPictureMemory();  // each file makes and drops pictures of megabytes
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
