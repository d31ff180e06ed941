// POSIX implementation of InputFile.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/input_file.h"

namespace varomby {

std::optional<InputFile> InputFile::Open(const std::string& path) {
  if (path.empty()) return std::nullopt;
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  // A folder opens on POSIX but holds no bytes to compare.
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  return InputFile(fd);
}

InputFile::InputFile(InputFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::int64_t InputFile::Size() const {
  struct stat info {};
  if (fd_ < 0 || ::fstat(fd_, &info) != 0) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

std::int64_t InputFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (fd_ < 0) return -1;
  if (offset > static_cast<std::uint64_t>(INT64_MAX)) return 0;
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return done > 0 ? static_cast<std::int64_t>(done) : -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

void InputFile::AdviseSequential() const {
  if (fd_ >= 0) ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

}  // namespace varomby
