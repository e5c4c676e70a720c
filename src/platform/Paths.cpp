#include "platform/Paths.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <pwd.h>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace varnel {

namespace {

std::string EnvValue(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// $HOME, or the home folder of the user's account when HOME is not set.
fs::path HomeDir() {
  std::string home = EnvValue("HOME");
  if (!home.empty()) return home;
  std::vector<char> buf(16384);
  struct passwd pw {};
  struct passwd* result = nullptr;
  if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result &&
      result->pw_dir)
    return result->pw_dir;
  return {};
}

fs::path ConfigHome() {
  const fs::path xdg = EnvValue("XDG_CONFIG_HOME");
  if (xdg.is_absolute()) return xdg;
  const fs::path home = HomeDir();
  return home.empty() ? fs::path() : home / ".config";
}

// The value of XDG_DESKTOP_DIR in a user-dirs.dirs file: "$HOME/..." or an absolute path, in
// double quotes, backslash escaping the next character. The last valid line wins.
std::optional<fs::path> DesktopFromUserDirs(const fs::path& file, const fs::path& home) {
  std::ifstream in(file);
  if (!in) return std::nullopt;
  std::optional<fs::path> found;
  std::string line;
  static constexpr std::string_view kKey = "XDG_DESKTOP_DIR";
  while (std::getline(in, line)) {
    size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] == '#') continue;
    if (line.compare(i, kKey.size(), kKey) != 0) continue;
    i += kKey.size();
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size() || line[i] != '=') continue;
    ++i;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size() || line[i] != '"') continue;
    ++i;
    std::string value;
    bool closed = false;
    for (; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) {
        value += line[++i];
      } else if (line[i] == '"') {
        closed = true;
        break;
      } else {
        value += line[i];
      }
    }
    if (!closed) continue;
    std::string rest;
    if (value.rfind("${HOME}", 0) == 0)
      rest = value.substr(7);
    else if (value.rfind("$HOME", 0) == 0)
      rest = value.substr(5);
    else if (!value.empty() && value[0] == '/') {
      found = fs::path(value);
      continue;
    } else {
      continue;  // relative paths are not allowed in this file
    }
    if (!rest.empty() && rest[0] != '/') continue;  // "$HOMEfoo"
    if (home.empty()) continue;
    while (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    found = rest.empty() ? home : home / rest;
  }
  return found;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

// The entry of dir whose name equals name ignoring ASCII case; the smallest such name when there
// are several, so the choice does not depend on the order of the directory.
std::optional<std::string> FindNoCase(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return std::nullopt;
  std::optional<std::string> best;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    const std::string entry = it->path().filename().string();
    if (SameNoCase(entry, name) && (!best || entry < *best)) best = entry;
  }
  return best;
}

}  // namespace

fs::path ExecutableDir() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return {};
  return exe.parent_path();
}

fs::path DefaultAppDir() {
  const fs::path exeDir = ExecutableDir();
  if (exeDir.empty()) return {};
  for (const fs::path& candidate :
       {exeDir / "app", exeDir / ".." / "app", exeDir / ".." / "share" / "varnel"}) {
    std::error_code ec;
    if (fs::is_directory(candidate, ec)) return candidate.lexically_normal();
  }
  return exeDir;
}

fs::path UserDataHome() {
  const fs::path xdg = EnvValue("XDG_DATA_HOME");
  if (xdg.is_absolute()) return xdg;
  const fs::path home = HomeDir();
  return home.empty() ? fs::path() : home / ".local" / "share";
}

fs::path DesktopDir() {
  const fs::path home = HomeDir();
  const fs::path config = ConfigHome();
  if (!config.empty()) {
    if (auto desk = DesktopFromUserDirs(config / "user-dirs.dirs", home)) return *desk;
  }
  return home.empty() ? fs::path() : home / "Desktop";
}

fs::path ResolvePath(const fs::path& base, std::string_view relative) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = relative.size();
    const std::string_view part = relative.substr(start, end - start);
    if (!part.empty() && part != ".") parts.emplace_back(part);
    start = end + 1;
  }

  fs::path cur = base;
  size_t depth = 0;  // components added below base (".." above base is kept as "..")
  bool matching = true;
  for (const std::string& part : parts) {
    if (part == "..") {
      if (depth > 0) {
        cur = cur.parent_path();
        --depth;
      } else {
        cur /= "..";
      }
      continue;
    }
    if (matching) {
      std::error_code ec;
      if (!fs::exists(fs::symlink_status(cur / part, ec))) {
        if (auto found = FindNoCase(cur, part)) {
          cur /= *found;
          ++depth;
          continue;
        }
        matching = false;  // nothing below a missing folder can match either
      }
    }
    cur /= part;
    ++depth;
  }
  return cur;
}

bool MakeSureFolderExists(const fs::path& dir) {
  if (dir.empty()) return false;
  std::error_code ec;
  fs::create_directories(dir, ec);
  return fs::is_directory(dir, ec);
}

}  // namespace varnel
