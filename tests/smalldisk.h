#pragma once

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace tintrix::testing {

// A small file system of its own (tmpfs), to run out of space on. Mounting needs root; where
// it cannot be had, Mount returns nullptr and says why in `reason`.
class SmallDisk {
 public:
  static std::unique_ptr<SmallDisk> Mount(std::string& reason, std::size_t bytes = 256 * 1024) {
    std::string folder = (std::filesystem::temp_directory_path() / "tintrix-disk-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
      reason = std::strerror(errno);
      return nullptr;
    }
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
      reason = "cannot mount a small tmpfs (" + std::string(std::strerror(errno)) +
               "; the full-disk tests need root)";
      rmdir(folder.c_str());
      return nullptr;
    }
    return std::unique_ptr<SmallDisk>(new SmallDisk(folder));
  }

  ~SmallDisk() {
    umount2(m_path.c_str(), MNT_DETACH);
    rmdir(m_path.c_str());
  }

  const std::string& path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

  // Takes all the space that is left, so that the next write of a single byte fails.
  void Fill() const {
    std::ofstream filler(File(".filler"), std::ios::binary | std::ios::app);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size()) && filler.flush()) {
    }
    filler.close();
    std::ofstream bytes(File(".filler-bytes"), std::ios::binary);
    while (bytes.put('f') && bytes.flush()) {
    }
  }

  // Gives the space back.
  void Empty() const {
    std::filesystem::remove(File(".filler"));
    std::filesystem::remove(File(".filler-bytes"));
  }

 private:
  explicit SmallDisk(std::string path) : m_path(std::move(path)) {}
  std::string m_path;
};

// Declares `disk`, a SmallDisk, or skips the test with the reason it cannot have one.
#define TINTRIX_SMALL_DISK(disk)                              \
  std::string disk##Reason;                                   \
  const std::unique_ptr<::tintrix::testing::SmallDisk> disk = \
      ::tintrix::testing::SmallDisk::Mount(disk##Reason);     \
  if (!disk) GTEST_SKIP() << "no full-disk test: " << disk##Reason

// The bytes of the file at `path`, or "<missing>".
inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void PutFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace tintrix::testing
