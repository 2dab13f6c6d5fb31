#include "core/support/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/support/file_io.h"

namespace korvex {
namespace {

// A new file beside path that nobody else uses; created with the usual permissions.
int CreateSibling(const std::string& path, std::string& sibling) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    sibling = path + ".new" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    const int fd = ::open(sibling.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool ReplaceFile(const std::string& path, std::string_view bytes, const RenameFunction& rename) {
  std::string sibling;
  const int fd = CreateSibling(path, sibling);
  if (fd < 0) return false;
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = (rename ? rename(sibling.c_str(), path.c_str()) : std::rename(sibling.c_str(), path.c_str())) == 0;
  if (!ok) ::unlink(sibling.c_str());
  return ok;
}

bool RemoveFileIfPresent(const std::string& path) {
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace korvex
