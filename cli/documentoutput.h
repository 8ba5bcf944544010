#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "engine/status.h"

namespace tintrix {

// Where the companion's documents go, in blocks as they are made.
class DocumentOutput {
 public:
  // Standard output as a file descriptor, written with write(2) until every byte is out.
  // Errors read `Could not write standard output: REASON`, the system's reason.
  static std::unique_ptr<DocumentOutput> ToDescriptor(int fd);

  // Standard output as a stream, which gives no reason when it fails: the error then reads
  // `Could not write standard output: Input/output error`.
  static std::unique_ptr<DocumentOutput> ToStream(std::ostream& out);

  // The file at `path`, replaced once Finish succeeds (AtomicFileWriter, whose errors these
  // are); without a successful Finish the old file stays. Fails, changing nothing, when the
  // file cannot be started.
  static StatusOr<std::unique_ptr<DocumentOutput>> ToFile(const std::string& path);

  virtual ~DocumentOutput() = default;

  // Writes `bytes` after those before.
  virtual Status Append(std::string_view bytes) = 0;

  // Ends the output: flushes a stream, replaces the file. Call once, after the last Append.
  virtual Status Finish() = 0;
};

}  // namespace tintrix
