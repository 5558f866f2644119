#include "cli/cli.h"

#include <algorithm>
#include <cstdio>

#include "platform/files.h"

namespace kestrel::cli {
namespace {
std::vector<Subcommand>& Registry() {
  static std::vector<Subcommand> registry;
  return registry;
}
}  // namespace

std::optional<std::string> Arguments::Value(std::string_view name) const {
  std::optional<std::string> value;
  for (const auto& [key, v] : options)
    if (key == name) value = v;
  return value;
}

std::vector<std::string> Arguments::Values(std::string_view name) const {
  std::vector<std::string> values;
  for (const auto& [key, v] : options)
    if (key == name) values.push_back(v);
  return values;
}

bool Arguments::Has(std::string_view flag) const {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

Registrar::Registrar(Subcommand subcommand) { Registry().push_back(std::move(subcommand)); }

const std::vector<Subcommand>& Subcommands() {
  auto& registry = Registry();
  std::sort(registry.begin(), registry.end(),
            [](const Subcommand& a, const Subcommand& b) { return a.name < b.name; });
  return registry;
}

int UsageError(const Context& context, std::string_view message) {
  std::fprintf(stderr, "kestrel-cli: %.*s\nusage: kestrel-cli %s\n",
               static_cast<int>(message.size()), message.data(), context.subcommand.usage.c_str());
  return kExitUsage;
}

std::filesystem::path OutputPath(const std::string& typed) {
  return std::filesystem::absolute(typed);
}

}  // namespace kestrel::cli
