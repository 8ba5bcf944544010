#include "platform/atomicfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/smalldisk.h"

namespace tintrix {
namespace {

using testing::FileBytes;
using testing::PutFile;

// The folder's entries: a failed write must leave no temporary file behind.
std::size_t Entries(const std::string& folder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

TEST(AtomicFile, FullDiskKeepsTheOldFileAndSaysWhy) {
  TINTRIX_SMALL_DISK(disk);
  const std::string path = disk->File("out.htm");
  PutFile(path, "old content\n");
  // Below and above the 16 KiB a buffered writer would hold back until its close.
  for (const std::size_t size : {6u, 20000u, 300000u}) {
    SCOPED_TRACE(size);
    disk->Fill();
    const std::size_t before = Entries(disk->path());
    const Status status = WriteFileAtomically(path, std::string(size, 'x'));
    EXPECT_EQ(status.code(), StatusCode::kIoError);
    EXPECT_EQ(status.message(), "Could not write " + path + ": No space left on device");
    EXPECT_EQ(status.reason(), "No space left on device");
    EXPECT_EQ(FileBytes(path), "old content\n");
    EXPECT_EQ(Entries(disk->path()), before);
    disk->Empty();
  }
  ASSERT_TRUE(WriteFileAtomically(path, "new\n").ok());
  EXPECT_EQ(FileBytes(path), "new\n");
}

TEST(AtomicFile, DevicesAreWrittenInPlaceAndReportTheirError) {
  const Status full = WriteFileAtomically("/dev/full", "x");
  EXPECT_EQ(full.message(), "Could not write /dev/full: No space left on device");
  EXPECT_TRUE(WriteFileAtomically("/dev/null", "x").ok());
}

TEST(AtomicFile, ReplacesThroughLinksAndKeepsPermissions) {
  const std::string folder = std::filesystem::temp_directory_path() / "tintrix-atomic";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directory(folder);
  const std::string file = folder + "/target", link = folder + "/link";
  PutFile(file, "old");
  chmod(file.c_str(), 0640);
  std::filesystem::create_symlink("target", link);

  ASSERT_TRUE(WriteFileAtomically(link, "new").ok());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(FileBytes(file), "new");
  struct stat info;
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(Entries(folder), 2u);

  EXPECT_EQ(WriteFileAtomically(folder, "x").message(),
            "Could not write " + folder + ": Is a directory");
  EXPECT_EQ(WriteFileAtomically(folder + "/no/such/file", "x").message(),
            "Could not write " + folder + "/no/such/file: No such file or directory");
  std::filesystem::remove_all(folder);
}

TEST(AtomicFile, AnAbandonedWriterLeavesNothing) {
  const std::string folder = std::filesystem::temp_directory_path() / "tintrix-abandon";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directory(folder);
  PutFile(folder + "/f", "old");
  {
    StatusOr<std::unique_ptr<AtomicFileWriter>> writer = AtomicFileWriter::Open(folder + "/f");
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE((*writer)->Append("half").ok());
  }
  EXPECT_EQ(FileBytes(folder + "/f"), "old");
  EXPECT_EQ(Entries(folder), 1u);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tintrix
