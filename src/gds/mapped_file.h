// A read-only view of a whole regular file: a memory map, or the bytes read into memory when
// it cannot be mapped (empty files). Pipes, devices and other special files are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvex::gds {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;

  // Opens `path`. On failure returns false and error() holds the system's reason.
  bool Open(const std::string& path);
  // Takes over `fd`, open for reading, and views its file as Open() does (closing it on failure).
  bool Adopt(int fd);
  void Close();

  const std::uint8_t* data() const { return data_; }
  // The descriptor the bytes were read through, open while the file is: copies made from it
  // read the very file that is mapped, even when the path is replaced meanwhile.
  int descriptor() const { return fd_; }
  std::size_t size() const { return size_; }
  const std::string& error() const { return error_; }

  // Hints that the bytes will be read from start to end.
  void AdviseSequential();
  // Gives back the whole pages within [from, to) (they stay in the page cache and the view
  // stays valid: they are read again from the file if touched). Keeps a long streaming pass
  // from holding the whole file in its resident memory. Safe to call from several threads.
  void Release(std::size_t from, std::size_t to) const;

 private:
  const std::uint8_t* data_ = nullptr;
  int fd_ = -1;
  std::size_t size_ = 0;
  bool mapped_ = false;
  std::vector<std::uint8_t> buffer_;
  std::string error_;
};

}  // namespace korvex::gds
