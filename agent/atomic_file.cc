#include "atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace kxagent {
namespace {

std::string Reason() {
  return std::strerror(errno);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a save must replace: the target of a symbolic link, else path itself.
std::string ResolveTarget(const std::string& path) {
  char resolved[PATH_MAX];
  struct stat info;
  if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) &&
      realpath(path.c_str(), resolved) != nullptr) {
    return resolved;
  }
  return path;
}

// A name in the target's folder that no other save of this or another process uses.
std::string TemporaryName(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  return target + ".tmp." + std::to_string(getpid()) + "." + std::to_string(counter++);
}

bool WriteAll(FileSystem& fs, int fd, const std::string& content) {
  size_t done = 0;
  while (done < content.size()) {
    ssize_t n = fs.Write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Syncs the folder so the rename itself survives a crash. Best effort: the new file is already
// complete and in place, so a folder that cannot be synced is no reason to report a failure.
void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

int PosixFileSystem::CreateExclusive(const std::string& path, mode_t mode) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
}
ssize_t PosixFileSystem::Write(int fd, const void* data, size_t size) {
  return write(fd, data, size);
}
int PosixFileSystem::Fsync(int fd) {
  return fsync(fd);
}
int PosixFileSystem::Close(int fd) {
  return close(fd);
}
int PosixFileSystem::Rename(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str());
}
int PosixFileSystem::Unlink(const std::string& path) {
  return unlink(path.c_str());
}

FileSystem& RealFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

bool ReplaceFile(FileSystem& fs, const std::string& path, const std::string& content,
                 std::string* error) {
  if (path.empty()) {
    *error = "cannot save to an empty file name";
    return false;
  }
  std::string target = ResolveTarget(path);
  struct stat info;
  if (stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    *error = "cannot replace " + target + ": it is a directory";
    return false;
  }
  bool replacing = stat(target.c_str(), &info) == 0;
  mode_t mode = replacing ? (info.st_mode & 07777) : 0644;

  std::string temporary = TemporaryName(target);
  int fd = fs.CreateExclusive(temporary, mode);
  if (fd < 0) {
    *error = "cannot create a temporary file in " + FolderOf(target) + ": " + Reason();
    return false;
  }
  // open applied the umask; an existing file's own bits are what the new one should have.
  if (replacing) fchmod(fd, mode);
  std::string failure;
  if (!WriteAll(fs, fd, content)) {
    failure = "cannot write " + temporary + ": " + Reason();
  } else if (fs.Fsync(fd) != 0) {
    failure = "cannot sync " + temporary + " to disk: " + Reason();
  }
  // close reports delayed write errors (NFS, quotas): it counts like a failed write.
  if (fs.Close(fd) != 0 && failure.empty()) {
    failure = "cannot close " + temporary + ": " + Reason();
  }
  if (failure.empty() && fs.Rename(temporary, target) != 0) {
    failure = "cannot replace " + target + ": " + Reason();
  }
  if (!failure.empty()) {
    fs.Unlink(temporary);
    *error = failure;
    return false;
  }
  SyncFolder(FolderOf(target));
  return true;
}

}  // namespace kxagent
