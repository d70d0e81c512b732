// The wineserver guard: the places where each Wine keeps a prefix's server,
// a lock held by another process, and real servers found by their folder and
// by their process.
#include "platform/prefix/wineserver_probe.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "support/scoped_temp_dir.h"
#include "support/wine_session.h"

namespace cdsetup::platform {
namespace {

using testing::MakeDirs;
using testing::WriteFile;

// Sets TMPDIR while it lives.
class TmpDir {
 public:
  explicit TmpDir(const std::string& value) {
    const char* old = std::getenv("TMPDIR");
    if (old) old_ = old;
    had_ = old != nullptr;
    ::setenv("TMPDIR", value.c_str(), 1);
  }
  ~TmpDir() {
    if (had_) {
      ::setenv("TMPDIR", old_.c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
  }

 private:
  std::string old_;
  bool had_ = false;
};

// Another process that holds a write lock on a file, as a live server holds
// its lock file, until it is destroyed.
class LockHolder {
 public:
  explicit LockHolder(const std::string& path) {
    int ready[2], done[2];
    if (::pipe(ready) != 0 || ::pipe(done) != 0) return;
    child_ = ::fork();
    if (child_ == 0) {
      ::close(ready[0]);
      ::close(done[1]);  // so that the parent's close ends the wait below
      int fd = ::open(path.c_str(), O_RDWR);
      struct flock fl = {};
      fl.l_type = F_WRLCK;
      fl.l_whence = SEEK_SET;
      char c = fd >= 0 && ::fcntl(fd, F_SETLK, &fl) == 0 ? 'y' : 'n';
      (void)!::write(ready[1], &c, 1);
      (void)!::read(done[0], &c, 1);
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(done[0]);
    done_ = done[1];
    char c = 0;
    held_ = child_ > 0 && ::read(ready[0], &c, 1) == 1 && c == 'y';
    ::close(ready[0]);
  }
  ~LockHolder() { Release(); }
  bool held() const { return held_; }
  void Release() {
    if (child_ <= 0) return;
    ::close(done_);
    ::waitpid(child_, nullptr, 0);
    child_ = -1;
  }

 private:
  pid_t child_ = -1;
  int done_ = -1;
  bool held_ = false;
};

WineServerSearch Roots(std::vector<std::string> roots) {
  return WineServerSearch{std::move(roots), ""};
}

TEST(WineServerProbe, ALockHeldByAnotherProcessMeansRunning) {
  testing::ScopedTempDir temp;
  MakeDirs(temp / "prefix");
  std::string server = WineServerDirectory(temp / "prefix", temp / "root");
  EXPECT_EQ(FindWineServer(temp / "prefix", Roots({temp / "root"})), std::nullopt);
  WriteFile(server + "/socket", "");
  WriteFile(server + "/lock", "");
  // Left by a dead server.
  EXPECT_EQ(FindWineServer(temp / "prefix", Roots({temp / "root"})), std::nullopt);

  LockHolder holder(server + "/lock");
  ASSERT_TRUE(holder.held());
  EXPECT_EQ(FindWineServer(temp / "prefix", Roots({temp / "elsewhere", temp / "root"})), server);
  holder.Release();
  EXPECT_EQ(FindWineServer(temp / "prefix", Roots({temp / "root"})), std::nullopt);
  EXPECT_EQ(FindWineServer(temp / "missing", Roots({temp / "root"})), std::nullopt);
}

TEST(WineServerProbe, ThePlacesOfEachWineAndTheFolderDebianRecords) {
  testing::ScopedTempDir temp;
  MakeDirs(temp / "prefix");
  const std::string uid = std::to_string(::getuid());
  const std::vector<std::string> wines = {"/tmp/.wine-" + uid, "/run/user/" + uid + "/wine"};
  TmpDir tmpdir(temp / "tmp");
  WineServerSearch search = DefaultWineServerSearch(temp / "prefix");
  EXPECT_EQ(search.roots, wines);
  EXPECT_EQ(search.proc_dir, "/proc");

  struct Case {
    const char* recorded;
    std::vector<std::string> extra;
  } cases[] = {
      {"wine-AbC123", {temp / "tmp/wine-AbC123", "/tmp/wine-AbC123"}},
      {"wine-AbC123\n", {temp / "tmp/wine-AbC123", "/tmp/wine-AbC123"}},
      {"/var/tmp/wine-x", {"/var/tmp/wine-x"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.recorded);
    WriteFile(temp / "prefix/wineserver", c.recorded);
    std::vector<std::string> roots = wines;
    roots.insert(roots.end(), c.extra.begin(), c.extra.end());
    EXPECT_EQ(DefaultWineServerSearch(temp / "prefix").roots, roots);
  }
  // The folder of a server started with our TMPDIR is found through it.
  WriteFile(temp / "prefix/wineserver", "wine-AbC123");
  const std::string server = WineServerDirectory(temp / "prefix", temp / "tmp/wine-AbC123");
  WriteFile(server + "/socket", "");
  WriteFile(server + "/lock", "");
  LockHolder holder(server + "/lock");
  ASSERT_TRUE(holder.held());
  search = DefaultWineServerSearch(temp / "prefix");
  search.proc_dir.clear();
  EXPECT_EQ(FindWineServer(temp / "prefix", search), server);
}

// Real servers, as Debian's Wine lays them out here: found by the folder the
// prefix names and by the process alone.
TEST(WineServerProbe, ARealServerIsFoundByItsFolderAndByItsProcess) {
  ASSERT_TRUE(testing::WineInstalled()) << testing::kWineMissing;
  testing::ScopedTempDir temp;
  MakeDirs(temp / "prefix");
  const std::string name = WineServerFolderName(temp / "prefix");
  testing::WineSession wine(temp / "prefix");
  ASSERT_EQ(wine.Run("wineserver -p").status, 0);

  std::optional<std::string> found =
      FindWineServer(temp / "prefix", DefaultWineServerSearch(temp / "prefix"));
  ASSERT_TRUE(found);
  EXPECT_EQ(std::filesystem::path(*found).filename(), name);
  WineServerSearch by_folder = DefaultWineServerSearch(temp / "prefix");
  by_folder.proc_dir.clear();
  std::optional<std::string> in_folder = FindWineServer(temp / "prefix", by_folder);
  ASSERT_TRUE(in_folder);
  // The server settles into its folder as it detaches; on a busy machine
  // that can come a moment after its lock.
  std::optional<std::string> by_process;
  for (int i = 0; i < 100 && !by_process; ++i) {
    by_process = FindWineServer(temp / "prefix", WineServerSearch{{}, "/proc"});
    if (!by_process) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(by_process);
  EXPECT_TRUE(std::filesystem::equivalent(*in_folder, *by_process))
      << *in_folder << " " << *by_process;

  ASSERT_EQ(wine.Run("wineserver -k; wineserver -w").status, 0);
  EXPECT_EQ(FindWineServer(temp / "prefix", DefaultWineServerSearch(temp / "prefix")),
            std::nullopt);
}

TEST(WineServerProbe, AServerStartedWithAnotherTmpdirIsFoundByItsProcess) {
  ASSERT_TRUE(testing::WineInstalled()) << testing::kWineMissing;
  testing::ScopedTempDir temp;
  MakeDirs(temp / "prefix");
  MakeDirs(temp / "other");
  testing::WineSession wine(temp / "prefix", "TMPDIR=" + temp / "other");
  ASSERT_EQ(wine.Run("wineserver -p").status, 0);
  // The server goes on starting after its command returns, slower beside
  // other Wine processes: the probe is asked until it finds it. The bound
  // only keeps a broken probe from hanging the suite.
  std::optional<std::string> found;
  for (int tries = 0; !found && tries < 3000; ++tries) {
    found = FindWineServer(temp / "prefix", DefaultWineServerSearch(temp / "prefix"));
    if (!found) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(found);
  EXPECT_EQ(std::filesystem::path(*found).filename(), WineServerFolderName(temp / "prefix"));
}

}  // namespace
}  // namespace cdsetup::platform
