#pragma once
// Small fixtures shared by the test programs.
#include <filesystem>
#include <string>
#include <string_view>

namespace varnel::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return m_path; }
  // Writes bytes to a file below the folder (creating sub-folders) and returns its path.
  std::filesystem::path Write(std::string_view relative, std::string_view bytes) const;

 private:
  std::filesystem::path m_path;
};

std::string ReadFile(const std::filesystem::path& path);

// Sets an environment variable for one scope and restores the old value afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);  // value nullptr unsets
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string m_name;
  std::string m_old;
  bool m_hadOld;
};

}  // namespace varnel::test
