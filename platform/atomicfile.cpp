#include "platform/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

namespace tintrix {

namespace {

// Devices and pipes (/dev/stdout, a FIFO) cannot be replaced, only written to.
Status WriteInPlace(const std::string& path, std::string_view bytes) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
          static_cast<qint64>(bytes.size()) ||
      !file.flush()) {
    return Status::IoError("Could not write " + path + ": " + file.errorString().toStdString());
  }
  return Status::Ok();
}

}  // namespace

Status WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const QString qpath = QString::fromStdString(path);
  const QFileInfo info(qpath);  // follows symbolic links
  if (info.exists() && !info.isFile() && !info.isDir()) return WriteInPlace(path, bytes);
  QSaveFile file(qpath);
  const auto failure = [&] {
    return Status::IoError("Could not write " + path + ": " + file.errorString().toStdString());
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
