#pragma once
// varnelctl: the command-line front end. RunCli is main() without the process around it, so tests
// can run commands in-process and read what they print.
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace varnel::cli {

// Global options of every command.
struct GlobalOptions {
  std::filesystem::path appDir;
  std::filesystem::path dataDir;
  std::filesystem::path emulate;
  std::filesystem::path trace;
  bool yes = false;
  bool no = false;
};

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace varnel::cli
