// Many files in one run: the loop that convert, act, decompress, video and thumbnail share, on
// one thread or on several.

#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "cli/cli.h"
#include "platform/files.h"

namespace kestrel::cli {
namespace {

namespace fs = std::filesystem;

// Finished files wait for the files before them, at most this many per worker: one slow file
// does not idle the others at once, and the lines held back stay few.
constexpr size_t kWaitingFilesPerWorker = 8;

// A fresh session on `file`, entered as its own run enters it.
Session EnteredSession(Session& session, const std::string& file) {
  Session probe(session.platform, session.currentDirectory);
  EnterFile(probe, file);
  return probe;
}

// The inputs of a batch by the identity of their files, each found as its own run finds it, so
// that every output is checked against all of them at once.
class BatchInputs {
 public:
  BatchInputs(Session& session, const std::vector<std::string>& files) : session_(session) {
    for (const std::string& file : files) {
      const Session probe = EnteredSession(session, file);
      const auto found = FindFileIgnoringCase(probe.currentDirectory, probe.state.currentFilePath);
      struct stat info {};
      if (found && ::stat(found->c_str(), &info) == 0)
        firstInputs_.try_emplace({info.st_dev, info.st_ino}, file);
    }
  }

  // Whether `out` is the very file of an input; if so it says so, naming the first such input.
  bool Hold(const fs::path& out) const {
    struct stat info {};
    if (::stat(out.c_str(), &info) != 0) return false;
    const auto input = firstInputs_.find({info.st_dev, info.st_ino});
    if (input == firstInputs_.end()) return false;
    const Session probe = EnteredSession(session_, input->second);
    return OutputIsAnInput(probe, out, {probe.state.currentFilePath});
  }

 private:
  Session& session_;
  std::map<std::pair<dev_t, ino_t>, std::string> firstInputs_;
};

// Decoding a pair writes its decoded file beside it for a while, named from the pair's names by
// their third, fourth and twelfth letters (kind, numbering, extension kind) with .CCD added to a
// name without it; a TMSAT set decodes all three planes of its number. Names alike but for those
// may share transit files, or read them as a colour set's siblings, and so are of one family.
constexpr size_t kTransitNameLetters[] = {2, 3, 11};

std::string TransitFamily(const Session& entered) {
  std::string name = entered.state.currentFilePath;
  if (name.ends_with(".CCD")) name.resize(name.size() - 4);
  for (const size_t letter : kTransitNameLetters)
    if (letter < name.size()) name[letter] = '?';
  std::error_code ignored;
  return (fs::weakly_canonical(entered.currentDirectory, ignored) / name).string();
}

std::string ProgressText(size_t index, size_t count, const std::string& file) {
  return "\r[" + std::to_string(index + 1) + "/" + std::to_string(count) + "] " + file;
}

class Batch {
 public:
  Batch(Session& session, const BatchOptions& options, const BatchRules& rules,
        const ConvertOne& convertOne, fs::path outdir)
      : session_(session),
        options_(options),
        rules_(rules),
        convertOne_(convertOne),
        outdir_(std::move(outdir)),
        inputs_(session, outdir_.empty() || rules.outIsPrefix ? std::vector<std::string>() : options.files) {}

  size_t size() const { return options_.files.size(); }
  const std::string& File(size_t index) const { return options_.files[index]; }
  // The transit family of file `index` and whether its run decodes beside it; none for a
  // subcommand that never decodes.
  std::optional<std::pair<std::string, bool>> TransitRole(size_t index) const {
    if (!rules_.decodesBeside) return std::nullopt;
    const Session entered = EnteredSession(session_, File(index));
    return std::pair(TransitFamily(entered), rules_.decodesBeside(entered.state.currentFilePath));
  }

  // Where file `index` is written (empty: the subcommand's own default), or none after saying
  // why it may not be: its output is an earlier file's, or one of the inputs. Asked in input
  // order, each file once, with the outputs of the files before it in `taken`.
  std::optional<fs::path> OutputOf(size_t index, std::set<fs::path>& taken) const {
    if (outdir_.empty()) return fs::path();
    const std::string& file = File(index);
    fs::path out = outdir_ / fs::path(file).filename().replace_extension(rules_.outIsPrefix ? "" : options_.format);
    if (!taken.insert(out).second) {
      Complain("%s: not %s: %s is an earlier file's output", file.c_str(), rules_.verb, out.c_str());
      return std::nullopt;
    }
    if (!rules_.outIsPrefix && inputs_.Hold(out)) {
      Complain("%s: not %s", file.c_str(), rules_.verb);
      return std::nullopt;
    }
    return out;
  }

  // Runs file `index` in a fresh session; true when it succeeded, else says that it did not.
  bool Convert(size_t index, const fs::path& out) const {
    Session one(session_.platform, session_.currentDirectory);
    if (convertOne_(one, File(index), out) == kExitSuccess) return true;
    Complain("%s: not %s", File(index).c_str(), rules_.verb);
    return false;
  }

 private:
  Session& session_;
  const BatchOptions& options_;
  const BatchRules& rules_;
  const ConvertOne& convertOne_;
  const fs::path outdir_;
  const BatchInputs inputs_;
};

// One file after another, each file's messages as they come; the number converted.
size_t RunInOrder(const Batch& batch) {
  size_t done = 0;
  std::set<fs::path> taken;
  for (size_t i = 0; i < batch.size(); ++i) {
    ShowProgressLine(ProgressText(i, batch.size(), batch.File(i)));
    const std::optional<fs::path> out = batch.OutputOf(i, taken);
    done += out && batch.Convert(i, *out);
  }
  return done;
}

// Files on several workers at once. The outputs are settled in input order before any work;
// each worker holds back the lines of its file, and this thread prints them file by file.
class ParallelRun {
 public:
  ParallelRun(const Batch& batch, unsigned workers)
      : batch_(batch), workers_(workers), files_(batch.size()) {}

  // The number converted.
  size_t Run() {
    Plan();
    size_t done = 0;
    std::vector<std::jthread> threads;
    for (unsigned w = 0; w < workers_; ++w) threads.emplace_back([this] { Work(); });
    for (size_t i = 0; i < files_.size(); ++i) {
      ShowProgressLine(ProgressText(i, files_.size(), batch_.File(i)));
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return files_[i].stage == Stage::Finished; });
      const std::string lines = std::exchange(files_[i].lines, {});
      done += files_[i].converted;
      printed_ = i + 1;
      lock.unlock();
      changed_.notify_all();
      PrintHeldLines(lines);
    }
    return done;
  }

 private:
  enum class Stage : uint8_t { Waiting, Running, Finished };
  struct File {
    Stage stage = Stage::Waiting;
    std::optional<fs::path> out;  // none: refused
    std::vector<size_t> after;    // earlier files of its transit family, run first
    bool converted = false;
    std::string lines;            // held until the files before it are printed
  };

  // The files of one transit family so far: a decoding file follows all of them, any other
  // file the last decoding one.
  struct Family {
    std::optional<size_t> lastDecoding;
    std::vector<size_t> othersSince;
  };

  // Outputs, refusals (their lines held for their turn) and transit families, in input order.
  void Plan() {
    std::set<fs::path> taken;
    std::map<std::string, Family> families;
    for (size_t i = 0; i < files_.size(); ++i) {
      File& file = files_[i];
      HeldErrorLines held;
      file.out = batch_.OutputOf(i, taken);
      if (!file.out) {
        file.stage = Stage::Finished;
        file.lines = held.Take();
        continue;
      }
      ++waiting_;
      const auto role = batch_.TransitRole(i);
      if (!role) continue;
      Family& family = families[role->first];
      if (role->second) {
        file.after = std::exchange(family.othersSince, {});
        if (family.lastDecoding) file.after.push_back(*family.lastDecoding);
        family.lastDecoding = i;
      } else {
        if (family.lastDecoding) file.after.push_back(*family.lastDecoding);
        family.othersSince.push_back(i);
      }
    }
  }

  // The first file within the window that may start now; none while there is no such file.
  std::optional<size_t> ReadyFile() const {
    const size_t end = std::min(files_.size(), printed_ + kWaitingFilesPerWorker * workers_);
    for (size_t i = printed_; i < end; ++i) {
      const File& file = files_[i];
      const auto finished = [&](size_t earlier) { return files_[earlier].stage == Stage::Finished; };
      if (file.stage == Stage::Waiting && std::all_of(file.after.begin(), file.after.end(), finished))
        return i;
    }
    return std::nullopt;
  }

  void Work() {
    for (;;) {
      std::unique_lock lock(mutex_);
      std::optional<size_t> index;
      changed_.wait(lock, [&] { return waiting_ == 0 || (index = ReadyFile()); });
      if (!index) return;
      File& file = files_[*index];
      file.stage = Stage::Running;
      --waiting_;
      lock.unlock();

      HeldErrorLines held;
      const bool converted = batch_.Convert(*index, *file.out);
      std::string lines = held.Take();
      lock.lock();
      file.stage = Stage::Finished;
      file.converted = converted;
      file.lines = std::move(lines);
      lock.unlock();
      changed_.notify_all();
    }
  }

  const Batch& batch_;
  const unsigned workers_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<File> files_;  // each field but `out` and `after` is the mutex's after Plan
  size_t waiting_ = 0;       // files not yet started
  size_t printed_ = 0;       // files whose lines are out
};

}  // namespace

unsigned HardwareThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

void DefineBatchOptions(CLI::App& app, BatchOptions& options, const BatchRules& rules) {
  app.add_option("FILE", options.files, rules.filesHelp)->required();
  CLI::Option* out = rules.outHelp ? app.add_option("-o", options.out, rules.outHelp) : nullptr;
  CLI::Option* outdir = app.add_option("--outdir", options.outdir, "write each FILE into DIR as NAME.FORMAT");
  if (out) outdir->excludes(out);
  if (rules.pngOnly) options.format = "png";
  CLI::Option* format =
      rules.pngOnly ? app.add_option("--format", options.format, "png (the only one)")->check(CLI::IsMember({"png"}))
                    : app.add_option("--format", options.format, "bmp (default) or png")
                          ->check(CLI::IsMember({"bmp", "png"}));
  if (!rules.outIsPrefix) format->needs(outdir);
  app.add_option("-j,--jobs", options.jobs, "work on N files at once (default: one per hardware thread)")
      ->type_name("N")
      ->check(CLI::PositiveNumber);
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

  if (count == 1 && options.outdir.empty()) {
    Session single(session.platform, session.currentDirectory);
    const std::string& file = options.files.front();
    return convertOne(single, file, options.out.empty() ? fs::path() : OutputPath(options.out));
  }
  const fs::path outdir = options.outdir.empty() ? fs::path() : OutputPath(options.outdir);
  if (std::error_code error; !outdir.empty() && !fs::is_directory(outdir) &&
                             !fs::create_directories(outdir, error))
    return Complain("%s: %s", outdir.c_str(), error.message().c_str());

  const Batch batch(session, options, rules, convertOne, outdir);
  const auto workers = static_cast<unsigned>(std::min<size_t>(options.jobs, count));
  const size_t done = workers > 1 ? ParallelRun(batch, workers).Run() : RunInOrder(batch);
  ShowProgressLine("");
  PrintErrorLine(std::to_string(done) + " of " + std::to_string(count) + " " + rules.verb);
  return done == count ? kExitSuccess : kExitFailure;
}

}  // namespace kestrel::cli
