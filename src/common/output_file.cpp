// POSIX implementation of the atomic whole-file write.
#include "common/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace varomby {
namespace {

// Attempts at a fresh temporary name before giving up.
constexpr int kNameAttempts = 16;

// Creates a temporary file next to `path`; the descriptor, or -1. Its mode
// is 0666 less the umask, as for any newly created file.
int CreateTemporary(const std::string& path, std::string& temporaryPath) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    temporaryPath = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    int fd;
    do {
      fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  std::string temporaryPath;
  const int fd = CreateTemporary(path, temporaryPath);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (written && closed && std::rename(temporaryPath.c_str(), path.c_str()) == 0) return true;
  ::unlink(temporaryPath.c_str());
  return false;
}

}  // namespace varomby
