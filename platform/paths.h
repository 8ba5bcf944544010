#pragma once

#include <string>

namespace tintrix {

// The folder that holds `path`: all before its last '/', "/" for a file in the root, "." for
// a name without a folder.
std::string FolderOf(const std::string& path);

// The user's home folder, as the desktop knows it ($HOME, else the password database).
std::string HomeFolder();

}  // namespace tintrix
