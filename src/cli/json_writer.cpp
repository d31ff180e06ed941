#include "cli/json_writer.h"

#include <iconv.h>

#include <cerrno>

namespace varomby::cli {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

void AppendAsciiOrReplacement(std::string_view ansi, std::string& out) {
  for (const char c : ansi) {
    if (static_cast<unsigned char>(c) < 0x80) {
      out += c;
    } else {
      out += kReplacement;
    }
  }
}

}  // namespace

Cp936Decoder::Cp936Decoder() : converter_(iconv_open("UTF-8", "CP936")) {}

Cp936Decoder::~Cp936Decoder() {
  if (static_cast<iconv_t>(converter_) != kNoConverter) iconv_close(static_cast<iconv_t>(converter_));
}

void Cp936Decoder::AppendUtf8(std::string_view ansi, std::string& out) {
  const auto converter = static_cast<iconv_t>(converter_);
  if (converter == kNoConverter) return AppendAsciiOrReplacement(ansi, out);
  char buffer[4096];
  char* in = const_cast<char*>(ansi.data());
  std::size_t inLeft = ansi.size();
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // An invalid or incomplete sequence: replace its first byte, go on after it.
    out += kReplacement;
    ++in;
    --inLeft;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
}

void AppendJsonString(std::string_view utf8, std::string& out) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (byte < 0x20) {
          out += "\\u00";
          out += kHex[byte >> 4];
          out += kHex[byte & 15];
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

void JsonLineWriter::Begin() {
  line_.clear();
  line_ += '{';
  first_ = true;
}

void JsonLineWriter::Key(std::string_view key) {
  if (!first_) line_ += ',';
  first_ = false;
  AppendJsonString(key, line_);
  line_ += ':';
}

void JsonLineWriter::Number(std::string_view key, std::uint64_t value) {
  Key(key);
  line_ += std::to_string(value);
}

void JsonLineWriter::AnsiString(std::string_view key, const AnsiText& value) {
  scratch_.clear();
  decoder_.AppendUtf8(value, scratch_);
  Utf8String(key, scratch_);
}

void JsonLineWriter::Utf8String(std::string_view key, std::string_view value) {
  Key(key);
  AppendJsonString(value, line_);
}

void JsonLineWriter::Utf8StringArray(std::string_view key, std::span<const std::string> values) {
  Key(key);
  line_ += '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) line_ += ',';
    AppendJsonString(values[i], line_);
  }
  line_ += ']';
}

const std::string& JsonLineWriter::End() {
  line_ += "}\n";
  return line_;
}

}  // namespace varomby::cli
