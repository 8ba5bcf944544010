#include "ui/weblinks.h"

namespace tintrix {

void OpenWebPage(Shell& shell, const char* address) {
  shell.OpenUrl(QUrl(QString::fromLatin1(address)));
}

}  // namespace tintrix
