// The lock between processes: held while the FileLock lives, by this process
// alone, and let go when it ends.
#include "platform/prefix/file_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>

#include "support/scoped_temp_dir.h"

namespace cdsetup::platform {
namespace {

// Whether another process could take the lock of `path` now, without waiting.
bool FreeForAnotherProcess(const std::string& path) {
  pid_t child = ::fork();
  if (child == 0) {
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ::_exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(FileLock, HeldUntilItEnds) {
  testing::ScopedTempDir temp;
  const std::string path = temp / "registry.lock";
  {
    base::Result<FileLock> lock = FileLock::Exclusive(path);
    ASSERT_TRUE(lock.ok()) << lock.status().ToString();
    EXPECT_TRUE(lock->held());
    EXPECT_TRUE(testing::Exists(path));
    EXPECT_FALSE(FreeForAnotherProcess(path));
    std::optional<FileLock> moved(std::move(lock).value());
    EXPECT_FALSE(FreeForAnotherProcess(path));
  }
  EXPECT_TRUE(FreeForAnotherProcess(path));
  // Taken again, by the same process, once it was let go.
  base::Result<FileLock> again = FileLock::Exclusive(path);
  ASSERT_TRUE(again.ok());
  EXPECT_FALSE(FreeForAnotherProcess(path));
}

TEST(FileLock, AFolderThatCannotHoldTheFileIsAnError) {
  testing::ScopedTempDir temp;
  base::Result<FileLock> lock = FileLock::Exclusive(temp / "missing/registry.lock");
  EXPECT_TRUE(lock.status().IsNotFound()) << lock.status().ToString();
}

}  // namespace
}  // namespace cdsetup::platform
