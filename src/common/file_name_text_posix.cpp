// POSIX file names are UTF-8 bytes; iconv turns them into code page 936.
#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "common/file_name_text.h"

namespace varomby {
namespace {

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

AnsiText FileNameText(const std::string& fileName) {
  if (IsAscii(fileName)) return fileName;
  iconv_t converter = iconv_open("CP936", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return fileName;
  AnsiText result;
  std::string input = fileName;
  char* in = input.data();
  std::size_t inLeft = input.size();
  char buffer[256];
  while (inLeft > 0) {
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
    result.append(buffer, static_cast<std::size_t>(out - buffer));
    if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // A byte that is no UTF-8, or a character without a code page 936
      // form: show '?' in its place and go on after it.
      result.push_back('?');
      ++in;
      --inLeft;
      while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
        ++in;
        --inLeft;
      }
    }
  }
  iconv_close(converter);
  return result;
}

}  // namespace varomby
