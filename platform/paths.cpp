#include "platform/paths.h"

#include <QDir>

namespace tintrix {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string HomeFolder() { return QDir::homePath().toStdString(); }

}  // namespace tintrix
