#pragma once
// The two built-in blocks of the skin: the skin library's DLL image and the
// skin data it reads. Both live unchanged for the whole run; an empty span
// means the block could not be built on this machine.
#include <cstdint>
#include <span>

namespace varomby {

// The 32-bit skin library, a PE DLL image laid out as a file.
std::span<const std::uint8_t> SkinLibraryImage();
// Skin data in the skin library's own format (varskin/skin_format.h).
std::span<const std::uint8_t> SkinData();

}  // namespace varomby
