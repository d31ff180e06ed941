#pragma once
// The host library the skin library imports from ("varskin.dll"): its
// functions collect the skin's colours, fonts, metrics and gradient stops,
// and hand the collected skin to the window's styler on apply.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "memmodule/machine32.h"
#include "varskin/skin_format.h"

namespace varomby {

struct SkinFont {
  std::string family;  // as the library passed it (ASCII / UTF-8)
  int pointSize = 0;
  int weight = 0;  // 100 (thin) .. 900 (black), 400 regular, 700 bold
};

struct GradientStop {
  int position = 0;  // 0 (top) .. 255 (bottom)
  std::uint32_t rgb = 0;
};

// Everything one attach call told the host; unset entries keep the
// window's own look.
struct SkinParameters {
  std::array<std::optional<std::uint32_t>, VSKN_COLOR_COUNT> colors;  // 0x00RRGGBB
  std::array<std::optional<SkinFont>, VSKN_FONT_COUNT> fonts;
  std::array<std::optional<int>, VSKN_METRIC_COUNT> metrics;
  std::array<std::vector<GradientStop>, VSKN_GRADIENT_COUNT> gradients;  // in position order
};

// What restyles the window.
class SkinStyler {
 public:
  virtual ~SkinStyler() = default;
  virtual void ApplySkin(const SkinParameters& skin) = 0;
  virtual void RemoveSkin() = 0;
};

// Collects the skin library's calls and forwards apply/remove to a styler.
// It must outlive the machine its library is added to.
class SkinHost {
 public:
  explicit SkinHost(SkinStyler& styler) : styler_(&styler) {}
  SkinHost(const SkinHost&) = delete;
  SkinHost& operator=(const SkinHost&) = delete;

  // The library to add to the machine (Machine32::AddHostLibrary).
  HostLibrary Library();

  // The host functions' bodies; each returns 1 when it used its arguments
  // and 0 when it ignored them (a role, index or value out of range).
  std::uint32_t SetColor(std::uint32_t role, std::uint32_t rgb);
  std::uint32_t SetFont(std::uint32_t role, std::string family, std::uint32_t pointSize, std::uint32_t weight);
  std::uint32_t SetMetric(std::uint32_t id, std::uint32_t value);
  std::uint32_t SetGradientStop(std::uint32_t gradient, std::uint32_t index, std::uint32_t position,
                                std::uint32_t rgb);
  // Hands the collected skin to the styler and starts a fresh collection.
  std::uint32_t Apply();
  std::uint32_t Remove();

 private:
  SkinStyler* styler_;
  SkinParameters pending_;
};

// Reads a NUL-terminated text of at most `maxLength` bytes at `address`;
// nothing when it is unreadable or longer.
std::optional<std::string> ReadMachineText(const AddressSpace32& memory, std::uint32_t address,
                                           std::size_t maxLength);

}  // namespace varomby
