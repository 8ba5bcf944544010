#include "cli/documentoutput.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/atomicfile.h"

namespace tintrix {

namespace {

Status StandardOutputError(int error) {
  return Status::IoError("Could not write standard output", std::strerror(error));
}

class DescriptorOutput final : public DocumentOutput {
 public:
  explicit DescriptorOutput(int fd) : m_fd(fd) {}

  Status Append(std::string_view bytes) override {
    if (const int error = WriteAll(m_fd, bytes)) return StandardOutputError(error);
    return Status::Ok();
  }

  Status Finish() override { return Status::Ok(); }

 private:
  int m_fd;
};

class StreamOutput final : public DocumentOutput {
 public:
  explicit StreamOutput(std::ostream& out) : m_out(out) {}

  Status Append(std::string_view bytes) override {
    m_out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return m_out ? Status::Ok() : StandardOutputError(EIO);
  }

  Status Finish() override {
    m_out.flush();
    return m_out ? Status::Ok() : StandardOutputError(EIO);
  }

 private:
  std::ostream& m_out;
};

class FileOutput final : public DocumentOutput {
 public:
  explicit FileOutput(std::unique_ptr<AtomicFileWriter> writer) : m_writer(std::move(writer)) {}

  Status Append(std::string_view bytes) override { return m_writer->Append(bytes); }
  Status Finish() override { return m_writer->Commit(); }

 private:
  std::unique_ptr<AtomicFileWriter> m_writer;
};

}  // namespace

std::unique_ptr<DocumentOutput> DocumentOutput::ToDescriptor(int fd) {
  return std::make_unique<DescriptorOutput>(fd);
}

std::unique_ptr<DocumentOutput> DocumentOutput::ToStream(std::ostream& out) {
  return std::make_unique<StreamOutput>(out);
}

StatusOr<std::unique_ptr<DocumentOutput>> DocumentOutput::ToFile(const std::string& path) {
  TINTRIX_ASSIGN_OR_RETURN(std::unique_ptr<AtomicFileWriter> writer, AtomicFileWriter::Open(path));
  return std::unique_ptr<DocumentOutput>(std::make_unique<FileOutput>(std::move(writer)));
}

}  // namespace tintrix
