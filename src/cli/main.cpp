#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace {

using kestrel::cli::Subcommand;

void PrintUsage() {
  std::fprintf(stderr, "usage: kestrel-cli [--cancel] SUBCOMMAND [options] FILE...\n");
  for (const Subcommand& sub : kestrel::cli::Subcommands())
    std::fprintf(stderr, "  kestrel-cli %s\n", sub.usage.c_str());
}

bool Contains(const std::vector<std::string>& list, const std::string& word) {
  for (const auto& item : list)
    if (item == word) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  bool answerCancel = false;
  // --cancel may stand anywhere: it answers every question of the run.
  for (auto it = words.begin(); it != words.end();) {
    if (*it == "--cancel") {
      answerCancel = true;
      it = words.erase(it);
    } else {
      ++it;
    }
  }
  if (words.empty() || words[0] == "--help" || words[0] == "-h") {
    PrintUsage();
    return words.empty() ? kestrel::cli::kExitUsage : kestrel::cli::kExitSuccess;
  }
  const Subcommand* sub = nullptr;
  for (const Subcommand& candidate : kestrel::cli::Subcommands())
    if (candidate.name == words[0]) sub = &candidate;
  if (!sub) {
    std::fprintf(stderr, "kestrel-cli: unknown subcommand '%s'\n", words[0].c_str());
    PrintUsage();
    return kestrel::cli::kExitUsage;
  }

  kestrel::ConsolePlatform platform(answerCancel);
  kestrel::Session session(platform, std::filesystem::current_path());
  kestrel::cli::Context context{session, *sub, {}};
  for (size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (Contains(sub->valueOptions, word)) {
      if (i + 1 >= words.size()) {
        std::fprintf(stderr, "kestrel-cli: %s needs a value\nusage: kestrel-cli %s\n",
                     word.c_str(), sub->usage.c_str());
        return kestrel::cli::kExitUsage;
      }
      context.args.options.emplace_back(word, words[++i]);
    } else if (Contains(sub->flagOptions, word)) {
      context.args.flags.push_back(word);
    } else if (word.size() > 1 && word[0] == '-') {
      std::fprintf(stderr, "kestrel-cli: unknown option '%s'\nusage: kestrel-cli %s\n",
                   word.c_str(), sub->usage.c_str());
      return kestrel::cli::kExitUsage;
    } else {
      context.args.files.push_back(word);
    }
  }
  const size_t count = context.args.files.size();
  if (count < sub->minFiles || count > sub->maxFiles) {
    std::fprintf(stderr, "usage: kestrel-cli %s\n", sub->usage.c_str());
    return kestrel::cli::kExitUsage;
  }
  return sub->run(context);
}
