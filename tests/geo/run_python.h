#pragma once
// Written files read back by python3's own JSON and XML parsers, which share no code with the
// writers.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kestrel::testing {

// Debian's own python3 where there is one: it starts faster than a version manager's.
inline std::string Python() {
  return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

// The standard output of `script` run on `file` and `arguments` (words without quotes); a
// script that fails fails the test.
inline std::string RunPythonOn(const std::string& script, const std::filesystem::path& file,
                               const std::vector<std::string>& arguments = {}) {
  const std::filesystem::path folder = file.parent_path();
  std::ofstream(folder / "check.py") << script;
  std::string command = Python() + " '" + (folder / "check.py").string() + "' '" + file.string();
  for (const std::string& argument : arguments) command += "' '" + argument;
  command += "' >'" + (folder / "out.txt").string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::stringstream out;
  out << std::ifstream(folder / "out.txt").rdbuf();
  return out.str();
}

}  // namespace kestrel::testing
