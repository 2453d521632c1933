// Replacing a file so that readers see either the old or the new contents, never a mixture: the
// new text goes to a temporary file in the same folder, is synced, and is renamed over the old
// one. A failure at any step, or an interruption, leaves the old file exactly as it was.

#ifndef KXAGENT_ATOMIC_FILE_H_
#define KXAGENT_ATOMIC_FILE_H_

#include <sys/types.h>

#include <string>

namespace kxagent {

// The file-system calls a replacement makes, so tests can make any of them fail. Each returns
// what the POSIX call of the same name returns and sets errno the same way.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode).
  virtual int CreateExclusive(const std::string& path, mode_t mode) = 0;
  virtual ssize_t Write(int fd, const void* data, size_t size) = 0;
  virtual int Fsync(int fd) = 0;
  virtual int Close(int fd) = 0;
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  virtual int Unlink(const std::string& path) = 0;
};

// The real calls.
class PosixFileSystem : public FileSystem {
 public:
  int CreateExclusive(const std::string& path, mode_t mode) override;
  ssize_t Write(int fd, const void* data, size_t size) override;
  int Fsync(int fd) override;
  int Close(int fd) override;
  int Rename(const std::string& from, const std::string& to) override;
  int Unlink(const std::string& path) override;
};

// The process's PosixFileSystem.
FileSystem& RealFileSystem();

// Makes path hold exactly content. A symbolic link at path is followed, so the file it names
// is replaced and the link stays. The new file keeps the old one's permission bits (0644 less
// the umask for a new file). Returns false with one line in *error ("cannot ...: reason"); the
// temporary file is then removed and the previous file is untouched.
bool ReplaceFile(FileSystem& fs, const std::string& path, const std::string& content,
                 std::string* error);

}  // namespace kxagent

#endif  // KXAGENT_ATOMIC_FILE_H_
