#include "core/support/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <random>

#include "core/support/file_io.h"

namespace korvex {
namespace {

std::string RandomPart() {
  static std::mt19937_64 generator{std::random_device{}()};
  static std::mutex guard;
  std::lock_guard<std::mutex> lock(guard);
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(generator()));
  return text;
}

}  // namespace

int CreateTemporaryBeside(const std::string& path, std::string_view infix, std::string_view suffix,
                          std::string& temporary) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = path + std::string(infix) + std::to_string(::getpid()) + "-" + RandomPart() + std::string(suffix);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool CommitRename(const std::string& temporary, const std::string& path, const RenameFunction& rename) {
  if ((rename ? rename(temporary.c_str(), path.c_str()) : std::rename(temporary.c_str(), path.c_str())) != 0) return false;
  const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);  // some file systems cannot sync a folder; the rename stands all the same
    ::close(folder);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool ReplaceFile(const std::string& path, std::string_view bytes, const RenameFunction& rename) {
  std::string sibling;
  const int fd = CreateTemporaryBeside(path, ".new", "", sibling);
  if (fd < 0) return false;
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = CommitRename(sibling, path, rename);
  if (!ok) ::unlink(sibling.c_str());
  return ok;
}

bool RemoveFileIfPresent(const std::string& path) {
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace korvex
