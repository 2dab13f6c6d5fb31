#include "gds/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace korvex::gds {

MappedFile::~MappedFile() { Close(); }

MappedFile::MappedFile(MappedFile&& other) noexcept { *this = std::move(other); }

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    Close();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, false);
    fd_ = std::exchange(other.fd_, -1);
    buffer_ = std::move(other.buffer_);
    error_ = std::move(other.error_);
    if (!mapped_) data_ = buffer_.data();
  }
  return *this;
}

void MappedFile::Close() {
  if (mapped_ && data_ != nullptr) munmap(const_cast<std::uint8_t*>(data_), size_);
  data_ = nullptr;
  size_ = 0;
  mapped_ = false;
  buffer_.clear();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool MappedFile::Open(const std::string& path) {
  Close();
  error_.clear();
  // Non-blocking, so that a FIFO cannot hold the open forever; only regular files are read,
  // as a device such as /dev/zero would never end.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error_ = std::strerror(errno);
    return false;
  }
  return Adopt(fd);
}

bool MappedFile::Adopt(int fd) {
  Close();
  error_.clear();
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    error_ = std::strerror(errno);
    ::close(fd);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error_ = S_ISDIR(st.st_mode) ? "is a directory" : "not a regular file";
    ::close(fd);
    return false;
  }
  if (S_ISREG(st.st_mode) && st.st_size > 0) {
    void* p = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
    if (p != MAP_FAILED) {
      fd_ = fd;
      data_ = static_cast<const std::uint8_t*>(p);
      size_ = static_cast<std::size_t>(st.st_size);
      mapped_ = true;
      return true;
    }
  }
  // Not mappable: read it in large blocks.
  std::size_t got = 0;
  buffer_.resize(1 << 20);
  for (;;) {
    if (got == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    const ssize_t n = ::read(fd, buffer_.data() + got, buffer_.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = std::strerror(errno);
      ::close(fd);
      buffer_.clear();
      return false;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  fd_ = fd;
  buffer_.resize(got);
  data_ = buffer_.data();
  size_ = got;
  return true;
}

void MappedFile::AdviseSequential() {
  if (mapped_) madvise(const_cast<std::uint8_t*>(data_), size_, MADV_SEQUENTIAL);
}

void MappedFile::Release(std::size_t from, std::size_t to) const {
  if (!mapped_ || to > size_) return;
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t begin = (from + page - 1) / page * page, end = to / page * page;
  if (end <= begin) return;
  madvise(const_cast<std::uint8_t*>(data_) + begin, end - begin, MADV_DONTNEED);
}

}  // namespace korvex::gds
