#pragma once
// Where the program finds its files on Linux: the application folder (cfg.ini, text files,
// skins), the per-user data folder under $XDG_DATA_HOME, and the desktop folder (logs).
#include <filesystem>
#include <string_view>

namespace varnel {

namespace fs = std::filesystem;

// Folder of the running executable (/proc/self/exe), empty when it cannot be found.
fs::path ExecutableDir();

// The application folder of a built or installed program: <exe>/app, <exe>/../app,
// <exe>/../share/varnel, or the executable's folder itself, the first that exists.
fs::path DefaultAppDir();

// $XDG_DATA_HOME, or $HOME/.local/share.
fs::path UserDataHome();

// XDG_DESKTOP_DIR from $XDG_CONFIG_HOME/user-dirs.dirs (default $HOME/.config), else $HOME/Desktop.
fs::path DesktopDir();

// Resolves a name taken from configuration data ("Text\\English\\text.xml", "Check_nr.png")
// against base: '\\' and '/' both separate, and each component that does not exist as written is
// matched case-insensitively against the folder's entries. Components that match nothing are kept
// as written, so the result names where the file would be.
fs::path ResolvePath(const fs::path& base, std::string_view relative);

// Creates a folder and its parents when missing; false when it does not exist afterwards.
bool MakeSureFolderExists(const fs::path& dir);

}  // namespace varnel
