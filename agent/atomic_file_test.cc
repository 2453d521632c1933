#include "atomic_file.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "saved_config.h"

namespace kxagent {
namespace {

// The real file system, with one call made to fail the way a full or broken disk fails it.
class FaultyFileSystem : public FileSystem {
 public:
  enum class Fault { kNone, kCreate, kWriteMidway, kShortWritesThenFail, kFsync, kClose, kRename };
  explicit FaultyFileSystem(Fault fault) : fault_(fault) {}

  int CreateExclusive(const std::string& path, mode_t mode) override {
    if (fault_ == Fault::kCreate) return Fail(EACCES);
    return real_.CreateExclusive(path, mode);
  }
  ssize_t Write(int fd, const void* data, size_t size) override {
    ++writes_;
    if (fault_ == Fault::kWriteMidway) {
      // Half the text reaches the disk, then it is full.
      if (writes_ == 1) return real_.Write(fd, data, size / 2);
      return Fail(ENOSPC);
    }
    if (fault_ == Fault::kShortWritesThenFail) {
      if (writes_ <= 3) return real_.Write(fd, data, size < 5 ? size : 5);
      return Fail(EIO);
    }
    return real_.Write(fd, data, size);
  }
  int Fsync(int fd) override {
    if (fault_ == Fault::kFsync) return Fail(EIO);
    return real_.Fsync(fd);
  }
  int Close(int fd) override {
    int result = real_.Close(fd);
    if (fault_ == Fault::kClose) return Fail(EDQUOT);
    return result;
  }
  int Rename(const std::string& from, const std::string& to) override {
    if (fault_ == Fault::kRename) return Fail(EXDEV);
    return real_.Rename(from, to);
  }
  int Unlink(const std::string& path) override { return real_.Unlink(path); }

 private:
  static int Fail(int error) {
    errno = error;
    return -1;
  }
  PosixFileSystem real_;
  Fault fault_;
  int writes_ = 0;
};

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kxagent_atomic_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { ASSERT_EQ(system(("rm -rf '" + dir_ + "'").c_str()), 0); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    DIR* d = opendir(dir_.c_str());
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
    return names;
  }

  std::string dir_;
};

TEST_F(AtomicFileTest, ReplacesTheContentsAndKeepsThePermissions) {
  std::string path = Path("agent.cfg");
  Write(path, "old contents\n");
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  std::string error;
  ASSERT_TRUE(ReplaceFile(RealFileSystem(), path, "new contents\n", &error)) << error;
  EXPECT_EQ(Read(path), "new contents\n");
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"agent.cfg"});  // no temporary left
}

TEST_F(AtomicFileTest, FollowsASymbolicLinkInsteadOfReplacingIt) {
  Write(Path("real.cfg"), "old\n");
  ASSERT_EQ(symlink("real.cfg", Path("link.cfg").c_str()), 0);
  std::string error;
  ASSERT_TRUE(ReplaceFile(RealFileSystem(), Path("link.cfg"), "new\n", &error)) << error;
  struct stat info;
  ASSERT_EQ(lstat(Path("link.cfg").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(Read(Path("real.cfg")), "new\n");
}

TEST_F(AtomicFileTest, AnyFailingStepLeavesThePreviousFileByteForByte) {
  using Fault = FaultyFileSystem::Fault;
  struct Case {
    Fault fault;
    const char* message;  // what the error line says after the file names
  };
  const Case cases[] = {
      {Fault::kCreate, "Permission denied"},
      {Fault::kWriteMidway, "No space left on device"},
      {Fault::kShortWritesThenFail, "Input/output error"},
      {Fault::kFsync, "Input/output error"},
      {Fault::kClose, "Disk quota exceeded"},
      {Fault::kRename, "Invalid cross-device link"},
  };
  // Binary and long enough that a partial write is visible if it ever reached the file.
  std::string previous = std::string("previous\0configuration\n", 24) + std::string(5000, 'p');
  std::string next(20000, 'n');
  for (const Case& c : cases) {
    std::string path = Path("agent.cfg");
    Write(path, previous);
    FaultyFileSystem fs(c.fault);
    std::string error;
    EXPECT_FALSE(ReplaceFile(fs, path, next, &error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_EQ(Read(path), previous) << error;
    EXPECT_EQ(Entries(), std::vector<std::string>{"agent.cfg"}) << error;
  }
}

TEST_F(AtomicFileTest, UnwritablePlacesAreReported) {
  std::string error;
  EXPECT_FALSE(ReplaceFile(RealFileSystem(), Path("missing/agent.cfg"), "x", &error));
  EXPECT_EQ(error,
            "cannot create a temporary file in " + Path("missing") + ": No such file or directory");

  ASSERT_EQ(mkdir(Path("folder").c_str(), 0755), 0);
  EXPECT_FALSE(ReplaceFile(RealFileSystem(), Path("folder"), "x", &error));
  EXPECT_EQ(error, "cannot replace " + Path("folder") + ": it is a directory");
  EXPECT_EQ(Entries(), std::vector<std::string>{"folder"});

  EXPECT_FALSE(ReplaceFile(RealFileSystem(), "", "x", &error));
  EXPECT_EQ(error, "cannot save to an empty file name");
}

TEST_F(AtomicFileTest, SaveConfigurationNamesTheFileInItsOneLine) {
  std::string path = Path("agent.cfg");
  Write(path, "kept\n");
  FaultyFileSystem fs(FaultyFileSystem::Fault::kFsync);
  std::string error;
  // No configurators: the text is empty, which still has to be written and synced.
  EXPECT_FALSE(SaveConfiguration(fs, {}, path, &error));
  EXPECT_EQ(error.rfind("Cannot save " + path + ": cannot sync ", 0), 0u) << error;
  EXPECT_EQ(Read(path), "kept\n");
}

}  // namespace
}  // namespace kxagent
