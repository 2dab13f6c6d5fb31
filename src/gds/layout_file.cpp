#include "gds/layout_file.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace korvex::gds {

std::string TemporaryFolder() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

int CreateUnnamedFile(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
  // File systems without unnamed files: a named one, unlinked at once.
  std::string name = folder + "/korvex-XXXXXX";
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  const int named = ::mkostemp(buffer.data(), O_CLOEXEC);
  if (named >= 0) ::unlink(buffer.data());
  return named;
}

namespace {

// What an inflated layout may take of the folder's file system: its free space less a reserve,
// so that a small file that inflates without end (or a huge one) cannot fill the system's
// temporary space.
std::uint64_t RoomIn(const std::string& folder) {
  struct statvfs fs {};
  if (::statvfs(folder.c_str(), &fs) != 0) return UINT64_MAX;
  const std::uint64_t free = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
  const std::uint64_t total = static_cast<std::uint64_t>(fs.f_blocks) * fs.f_frsize;
  const std::uint64_t reserve = std::max<std::uint64_t>(total / 20, std::min<std::uint64_t>(total / 5, 1ull << 30));
  return free > reserve ? free - reserve : 0;
}

}  // namespace

bool OpenLayoutFile(const std::string& path, MappedFile& file, LayoutFileInfo& info, std::string& error,
                    const ByteProgress& progress) {
  info = LayoutFileInfo{};
  if (!file.Open(path)) {
    error = file.error();
    return false;
  }
  info.stored_size = file.size();
  if (!IsGzip(file.data(), file.size())) return true;
  info.compressed = true;
  const std::string folder = TemporaryFolder();
  const int fd = CreateUnnamedFile(folder);
  if (fd < 0) {
    error = "cannot create a temporary file in " + folder + " to decompress into: " + std::strerror(errno);
    file.Close();
    return false;
  }
  file.AdviseSequential();
  const GzipResult inflated = InflateToFile(file.data(), file.size(), fd, DefaultCodec(), progress, RoomIn(folder));
  file.Close();
  if (!inflated.ok) {
    error = inflated.error;
    if (error.rfind("cannot write", 0) == 0) error += " (decompressing into " + folder + ")";
    ::close(fd);
    return false;
  }
  if (!file.Adopt(fd)) {
    error = file.error();
    return false;
  }
  return true;
}

}  // namespace korvex::gds
