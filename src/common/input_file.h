#pragma once
// A file opened for reading (read-only, binary, sharing reads and writes
// with other programs). Move-only; closes itself.
#include <cstdint>
#include <optional>
#include <string>

#include "common/byte_source.h"

namespace varomby {

class InputFile final : public ByteSource {
 public:
  // Nothing when the path is empty or the file cannot be opened.
  static std::optional<InputFile> Open(const std::string& path);

  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile() override;

  // The file's length in bytes now; -1 when it cannot be learned.
  std::int64_t Size() const;

  std::int64_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

  // Tells the system that the file will be read from start to end.
  void AdviseSequential() const;

 private:
  explicit InputFile(int descriptor) : fd_(descriptor) {}
  int fd_ = -1;
};

}  // namespace varomby
