// Many files in one run: the loop that convert, act, decompress and video share.

#include <set>
#include <string>
#include <system_error>

#include "cli/cli.h"

namespace kestrel::cli {
namespace {

namespace fs = std::filesystem;

// Whether `out` is the very file of any input of the batch, each found as its own run finds it.
bool LandsOnABatchInput(Session& session, const fs::path& out, const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    Session probe(session.platform, session.currentDirectory);
    EnterFile(probe, file);
    if (OutputIsAnInput(probe, out, {probe.state.currentFilePath})) return true;
  }
  return false;
}

}  // namespace

void DefineBatchOptions(CLI::App& app, BatchOptions& options, const BatchRules& rules) {
  app.add_option("FILE", options.files, rules.filesHelp)->required();
  CLI::Option* out = app.add_option("-o", options.out, rules.outHelp);
  CLI::Option* outdir =
      app.add_option("--outdir", options.outdir, "write each FILE into DIR as NAME.FORMAT")
          ->excludes(out);
  CLI::Option* format = app.add_option("--format", options.format, "bmp (default) or png")
                            ->check(CLI::IsMember({"bmp", "png"}));
  if (!rules.outIsPrefix) format->needs(outdir);
}

int RunBatch(Session& session, const BatchOptions& options, const BatchRules& rules,
             const ConvertOne& convertOne) {
  const size_t count = options.files.size();
  if (!options.out.empty() && count > 1)
    return UsageError("-o takes one FILE; use --outdir DIR for several");
  if (options.out.empty() && options.outdir.empty() && rules.outputRequired)
    return UsageError("-o OUT or --outdir DIR is required");
  if (!options.out.empty() && !rules.outIsPrefix && !PictureFormatOf(options.out))
    return UsageError(options.out + ": pictures are written as .bmp or .png");

  const auto fresh = [&] { return Session(session.platform, session.currentDirectory); };
  if (count == 1 && options.outdir.empty()) {
    Session single = fresh();
    const std::string& file = options.files.front();
    return convertOne(single, file, options.out.empty() ? fs::path() : OutputPath(options.out));
  }
  const fs::path outdir = options.outdir.empty() ? fs::path() : OutputPath(options.outdir);
  if (std::error_code error; !outdir.empty() && !fs::is_directory(outdir) &&
                             !fs::create_directories(outdir, error))
    return Complain("%s: %s", outdir.c_str(), error.message().c_str());

  size_t done = 0;
  std::set<fs::path> taken;
  for (size_t i = 0; i < count; ++i) {
    const std::string& file = options.files[i];
    ShowProgressLine("\r[" + std::to_string(i + 1) + "/" + std::to_string(count) + "] " + file);
    fs::path out;
    if (!outdir.empty()) {
      out = outdir / fs::path(file).filename().replace_extension(rules.outIsPrefix ? "" : options.format);
      if (!taken.insert(out).second) {
        Complain("%s: not %s: %s is an earlier file's output", file.c_str(), rules.verb, out.c_str());
        continue;
      }
      if (!rules.outIsPrefix && LandsOnABatchInput(session, out, options.files)) {
        Complain("%s: not %s", file.c_str(), rules.verb);
        continue;
      }
    }
    Session one = fresh();
    if (convertOne(one, file, out) == kExitSuccess) ++done;
    else Complain("%s: not %s", file.c_str(), rules.verb);
  }
  ShowProgressLine("");
  PrintErrorLine(std::to_string(done) + " of " + std::to_string(count) + " " + rules.verb);
  return done == count ? kExitSuccess : kExitFailure;
}

}  // namespace kestrel::cli
