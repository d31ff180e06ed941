#pragma once
// `varomby-cli call DLL EXPORT [ARG ...]`: loads a 32-bit DLL with the
// in-memory loader, calls one export with up to ten 32-bit arguments and
// prints the returned EAX.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string_view>

namespace varomby::cli {

// A 32-bit argument: decimal (a leading '-' gives the two's complement) or
// 0x-prefixed hexadecimal; nothing for any other text or a value that does
// not fit 32 bits.
std::optional<std::uint32_t> ParseCallArgument(std::string_view text);

// Runs the command with the arguments after "call". Prints EAX as eight
// upper-case hexadecimal digits and a newline to `out` and returns 0; on a
// usage error, an image that does not load or a missing export writes one
// line to `err` and returns 2.
int RunCallCommand(std::span<const std::string_view> args, std::FILE* out, std::FILE* err);

}  // namespace varomby::cli
