#include "output/atomicfile.h"

#include <QSaveFile>
#include <QString>

namespace tintrix {

Status WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const QString qpath = QString::fromStdString(path);
  QSaveFile file(qpath);
  const auto failure = [&] {
    return Status::Error("Could not write " + path + ": " + file.errorString().toStdString());
  };
  if (!file.open(QIODevice::WriteOnly)) return failure();
  // QIODevice::write takes a 64-bit length, so even very long documents go in one call.
  if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
      static_cast<qint64>(bytes.size())) {
    Status status = failure();
    file.cancelWriting();
    return status;
  }
  if (!file.commit()) return failure();
  return Status::Ok();
}

}  // namespace tintrix
