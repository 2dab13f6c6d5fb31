#include "korvexe/output_file.h"

#include <fcntl.h>
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/support/bus_error_exit.h"
#include "core/support/paths.h"
#include "core/support/progress_channel.h"
#include "core/support/replace_file.h"
#include "gds/gzip_stream.h"
#include "korvexe/run_control.h"

namespace korvex::engine {
namespace {

// Larger writes are slower, not faster: the kernel's copy of a buffer that no longer fits in
// the cache costs several times that of one that does (measured on 3.6 GB: 8 MB writes took
// two to three times the system time of 1 MB ones).
constexpr std::size_t kBufferSize = 1u << 20;
// Shorter stretches are cheaper through the buffer than by a system call of their own.
constexpr std::uint64_t kKernelCopyFrom = 1u << 20;
// A kernel copy goes in pieces of this size, so that its progress can be told as it goes.
constexpr std::uint64_t kKernelCopyPiece = 64u << 20;

}  // namespace

std::optional<std::uint64_t> FreeSpaceFor(const std::string& output) {
  struct statvfs fs {};
  if (::statvfs(FolderOf(output).c_str(), &fs) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
}

namespace {

// The pid in a name of our temporary form, or 0.
pid_t TemporaryOwner(std::string_view name) {
  constexpr std::string_view kInfix = ".korvexe-", kSuffix = ".tmp";
  const std::size_t at = name.rfind(kInfix);
  if (at == std::string_view::npos || at == 0 || !name.ends_with(kSuffix)) return 0;
  std::string_view rest = name.substr(at + kInfix.size(), name.size() - at - kInfix.size() - kSuffix.size());
  const std::size_t dash = rest.find('-');
  const std::string_view pid = rest.substr(0, dash);
  if (dash != std::string_view::npos) {
    const std::string_view random = rest.substr(dash + 1);
    if (random.size() != 16 || random.find_first_not_of("0123456789abcdef") != std::string_view::npos) return 0;
  }
  if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string_view::npos) return 0;
  return static_cast<pid_t>(std::stol(std::string(pid)));
}

}  // namespace

std::size_t RemoveDeadRunTemporaries(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return 0;
  std::size_t removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const pid_t owner = TemporaryOwner(entry->d_name);
    if (owner <= 0 || owner == ::getpid()) continue;
    if (::kill(owner, 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to judge
    const std::string path = folder + "/" + entry->d_name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

bool IsCompressedName(const std::string& output) { return SameExtension(SplitExtension(output).extension, ".gz"); }

OutputStream::OutputStream() : buffer_(kBufferSize) {}

OutputStream::~OutputStream() {
  Discard();  // first: the record writer's final flush then goes nowhere
  records_.reset();
}

void OutputStream::Create(const std::string& output) {
  output_ = output;
  RemoveDeadRunTemporaries(FolderOf(output));
  // Exclusive and not predictable, so that no link planted beside the output is followed.
  fd_ = CreateTemporaryBeside(output, ".korvexe-", ".tmp", temporary_);
  if (fd_ < 0) {
    const std::string reason = std::strerror(errno);
    temporary_.clear();
    throw EngineError("cannot create a temporary file beside the output " + output + ": " + reason);
  }
  SetBusErrorRemove(temporary_);
  writer_.Attach(fd_);
  records_ = std::make_unique<gds::RecordWriter>(*this, 256u << 10);
}

bool OutputStream::Settle() {
  if (writer_.Drain()) return true;
  error_ = writer_.error();
  return !(failed_ = true);
}

bool OutputStream::WriteFile(const std::uint8_t* data, std::size_t size) {
  if (!Settle()) return false;
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = std::strerror(errno);
      return !(failed_ = true);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    flushed_ += static_cast<std::uint64_t>(n);
  }
  return true;
}

bool OutputStream::Write(const std::uint8_t* data, std::size_t size) {
  if (failed_ || fd_ < 0) return false;
  if (presuming_) {
    if (size <= presumed_size_ - presumed_ && std::memcmp(presumed_base_ + presumed_, data, size) == 0) {
      presumed_ += size;
      return true;
    }
    if (!StopPresuming()) return false;
  }
  if (pending_to_ > pending_from_ && !FlushPending()) return false;
  if (used_ + size > buffer_.size()) {
    if (!FlushBuffer()) return false;
    if (size >= buffer_.size()) return WriteFile(data, size);
  }
  std::memcpy(buffer_.data() + used_, data, size);
  used_ += size;
  return true;
}

void OutputStream::TellProgress() {
  if (progress_ != nullptr) progress_->Set(bytes());
}

bool OutputStream::FlushBuffer() {
  if (used_ == 0 || failed_) return !failed_;
  const std::size_t n = used_;
  used_ = 0;
  if (writer_.Submit(buffer_, n)) {
    submitted_ += n;
    TellProgress();
    return true;
  }
  error_ = writer_.error();
  return !(failed_ = true);
}

bool OutputStream::FlushPending() {
  const std::uint64_t from = pending_from_, to = pending_to_;
  pending_from_ = pending_to_ = 0;
  if (to <= from) return true;
  if (to - from < kKernelCopyFrom || pending_fd_ < 0) return Write(pending_base_ + from, to - from);
  if (!FlushBuffer() || !Settle()) return false;
  loff_t in_offset = static_cast<loff_t>(from);
  std::uint64_t left = to - from;
  while (left > 0) {
    const ssize_t n = ::copy_file_range(pending_fd_, &in_offset, fd_, nullptr, std::min(left, kKernelCopyPiece), 0);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      // Not supported between these files (or a short input): the plain way for the rest.
      return WriteFile(pending_base_ + (to - left), left);
    }
    left -= static_cast<std::uint64_t>(n);
    flushed_ += static_cast<std::uint64_t>(n);
    TellProgress();
  }
  return true;
}

void OutputStream::CopyBytes(const std::uint8_t* data, std::size_t size) {
  records_->Flush();
  Write(data, size);
}

void OutputStream::CopyInput(int fd, const std::uint8_t* base, std::uint64_t from, std::uint64_t to) {
  if (to <= from) return;
  records_->Flush();
  if (presuming_) {
    if (base == presumed_base_ && from == presumed_ && to <= presumed_size_) {
      presumed_ = to;
      TellProgress();
      return;
    }
    StopPresuming();
  }
  if (pending_to_ > pending_from_ && (fd != pending_fd_ || base != pending_base_ || from != pending_to_)) FlushPending();
  if (pending_to_ > pending_from_) {
    pending_to_ = to;
    return;
  }
  pending_fd_ = fd;
  pending_base_ = base;
  pending_from_ = from;
  pending_to_ = to;
}

void OutputStream::PresumeInput(int fd, const std::uint8_t* base, std::uint64_t size) {
  presuming_ = true;
  presumed_base_ = base;
  presumed_size_ = size;
  presumed_ = 0;
  prefix_.Start(fd, fd_, size);
}

bool OutputStream::StopPresuming() {
  presuming_ = false;
  const std::uint64_t kept = presumed_;
  const bool copied = prefix_.FinishAt(kept);
  if (copied && ::ftruncate(fd_, static_cast<off_t>(kept)) == 0 && ::lseek(fd_, static_cast<off_t>(kept), SEEK_SET) >= 0) {
    presumed_ = 0;
    flushed_ += kept;
    return true;
  }
  error_ = copied ? std::strerror(errno) : prefix_.error();
  return !(failed_ = true);
}

void OutputStream::Check() {
  if (!records_->ok()) throw EngineError("cannot write the output: " + records_->error());
  if (failed_) throw EngineError("cannot write the output: " + error_);
}

void OutputStream::Commit() {
  records_->Flush();
  FlushPending();
  FlushBuffer();
  if (presuming_) StopPresuming();
  Settle();
  Check();
  // On the disk before it takes the output's name: a crash right after the run finished must
  // not leave an empty or short output.
  SetBusErrorRemove("");  // the input is read no more
  if (IsCompressedName(output_)) Compress();
  int rc = ::fsync(fd_);
  rc = ::close(fd_) == 0 ? rc : -1;
  fd_ = -1;
  if (rc != 0) {
    const std::string message = std::string("cannot write the output: ") + std::strerror(errno);
    std::remove(temporary_.c_str());
    temporary_.clear();
    throw EngineError(message);
  }
  if (!CommitRename(temporary_, output_)) {
    const std::string message = "cannot rename " + temporary_ + " to " + output_ + ": " + std::strerror(errno);
    std::remove(temporary_.c_str());
    temporary_.clear();
    throw EngineError(message);
  }
  temporary_.clear();
}

std::function<bool(std::uint64_t, std::uint64_t)> OutputStream::CompressionProgress() {
  const auto going = [] { return StopSignal() == 0; };
  if (progress_ == nullptr) return [going](std::uint64_t, std::uint64_t) { return going(); };
  // The writing ends here; compressing is a phase of its own.
  progress_->Set(bytes());
  progress_->End();
  return progress_->Follow("compressing", going);
}

void OutputStream::Compress() {
  std::string compressed;
  const int fd = CreateTemporaryBeside(output_, ".korvexe-", ".tmp", compressed);
  if (fd < 0) throw EngineError("cannot create a temporary file beside the output " + output_ + ": " + std::strerror(errno));
  // The temporary file was made for writing only: read it back through a descriptor of its own.
  const int plain = ::open(temporary_.c_str(), O_RDONLY | O_CLOEXEC);
  gds::GzipResult result;
  if (plain < 0)
    result.error = std::string("cannot read the output back to compress it: ") + std::strerror(errno);
  else
    result = gds::DeflateFile(plain, bytes(), fd, gds::DefaultCodec(), CompressionProgress());
  if (plain >= 0) ::close(plain);
  // The compressed file takes the plain one's place; either way one temporary remains to go.
  ::close(fd_);
  std::remove(temporary_.c_str());
  fd_ = fd;
  temporary_ = compressed;
  CheckStop();
  if (!result.ok) throw EngineError(result.error);
}

void OutputStream::Discard() {
  if (temporary_.empty()) return;
  SetBusErrorRemove("");
  failed_ = true;
  prefix_.Abandon();
  writer_.Drain();
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  std::remove(temporary_.c_str());
  temporary_.clear();
}

}  // namespace korvex::engine
