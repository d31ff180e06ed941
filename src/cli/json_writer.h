#pragma once
// One JSON object per line, built in a reused text. Texts given as code
// page 936 bytes are decoded to UTF-8 (undecodable bytes become U+FFFD);
// every control character is escaped.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/types.h"

namespace varomby::cli {

// Decodes code page 936 bytes to UTF-8; U+FFFD for each byte that starts
// no valid character.
class Cp936Decoder {
 public:
  Cp936Decoder();
  ~Cp936Decoder();
  Cp936Decoder(const Cp936Decoder&) = delete;
  Cp936Decoder& operator=(const Cp936Decoder&) = delete;

  void AppendUtf8(std::string_view ansi, std::string& out);

 private:
  void* converter_;  // iconv_t, or (void*)-1 when unavailable
};

class JsonLineWriter {
 public:
  explicit JsonLineWriter(Cp936Decoder& decoder) : decoder_(decoder) {}

  void Begin();
  void Number(std::string_view key, std::uint64_t value);
  // A text given in code page 936.
  void AnsiString(std::string_view key, const AnsiText& value);
  // A text already in UTF-8.
  void Utf8String(std::string_view key, std::string_view value);
  void Utf8StringArray(std::string_view key, std::span<const std::string> values);
  // Closes the object and ends the line; the finished line.
  const std::string& End();

 private:
  void Key(std::string_view key);

  Cp936Decoder& decoder_;
  std::string line_;
  std::string scratch_;
  bool first_ = true;
};

// Appends `utf8` as a JSON string literal, quotes included.
void AppendJsonString(std::string_view utf8, std::string& out);

}  // namespace varomby::cli
