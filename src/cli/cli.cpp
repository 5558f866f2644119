#include "cli/cli.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <system_error>

#include "platform/files.h"

namespace kestrel::cli {
namespace {
std::vector<Subcommand>& Registry() {
  static std::vector<Subcommand> registry;
  return registry;
}
}  // namespace

Registrar::Registrar(const Subcommand& subcommand) { Registry().push_back(subcommand); }

const std::vector<Subcommand>& Subcommands() {
  auto& registry = Registry();
  std::sort(registry.begin(), registry.end(), [](const Subcommand& a, const Subcommand& b) {
    return std::string_view(a.name) < b.name;
  });
  return registry;
}

int UsageError(std::string_view message) {
  PrintErrorLine("kestrel-cli: " + std::string(message));
  return kExitUsage;
}

int Complain(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  std::string text(static_cast<size_t>(std::max(0, std::vsnprintf(nullptr, 0, format, arguments))), '\0');
  va_end(arguments);
  std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  PrintErrorLine("kestrel-cli: " + text);
  return kExitFailure;
}

std::filesystem::path OutputPath(const std::string& typed) {
  return std::filesystem::absolute(typed);
}

bool OutputIsAnInput(const Session& session, const std::filesystem::path& output,
                     std::initializer_list<std::string_view> inputs) {
  for (const std::string_view name : inputs) {
    const auto input = FindFileIgnoringCase(session.currentDirectory, name);
    std::error_code ec;
    if (!input || !std::filesystem::equivalent(output, *input, ec)) continue;
    Complain("%s: is the input file %s; nothing written", output.c_str(), input->c_str());
    return true;
  }
  return false;
}

}  // namespace kestrel::cli
