#include "memmodule/skin/skin_host_library.h"

#include <algorithm>
#include <utility>

namespace varomby {
namespace {

constexpr std::uint32_t kUsed = 1;
constexpr std::uint32_t kIgnored = 0;
constexpr std::uint32_t kMaxPointSize = 72;
constexpr std::uint32_t kMaxMetric = 64;

using Body = decltype(HostFunction::body);

HostFunction Cdecl(std::string name, int arguments, Body body) {
  HostFunction function;
  function.name = std::move(name);
  function.stackArguments = arguments;
  function.calleePopsArguments = false;
  function.body = std::move(body);
  return function;
}

}  // namespace

std::optional<std::string> ReadMachineText(const AddressSpace32& memory, std::uint32_t address,
                                           std::size_t maxLength) {
  std::string text;
  for (std::size_t i = 0; i <= maxLength; ++i) {
    const std::uint64_t at = std::uint64_t{address} + i;
    std::uint8_t byte = 0;
    if (at > 0xFFFFFFFFu || !memory.Read(static_cast<std::uint32_t>(at), {&byte, 1})) return std::nullopt;
    if (byte == 0) return text;
    text.push_back(static_cast<char>(byte));
  }
  return std::nullopt;  // no terminator within maxLength bytes
}

std::uint32_t SkinHost::SetColor(std::uint32_t role, std::uint32_t rgb) {
  if (role >= pending_.colors.size() || rgb > 0xFFFFFFu) return kIgnored;
  pending_.colors[role] = rgb;
  return kUsed;
}

std::uint32_t SkinHost::SetFont(std::uint32_t role, std::string family, std::uint32_t pointSize,
                                std::uint32_t weight) {
  if (role >= pending_.fonts.size() || family.empty() || pointSize == 0 || pointSize > kMaxPointSize ||
      weight < 100 || weight > 900)
    return kIgnored;
  pending_.fonts[role] = SkinFont{std::move(family), static_cast<int>(pointSize), static_cast<int>(weight)};
  return kUsed;
}

std::uint32_t SkinHost::SetMetric(std::uint32_t id, std::uint32_t value) {
  if (id >= pending_.metrics.size() || value > kMaxMetric) return kIgnored;
  pending_.metrics[id] = static_cast<int>(value);
  return kUsed;
}

std::uint32_t SkinHost::SetGradientStop(std::uint32_t gradient, std::uint32_t index, std::uint32_t position,
                                        std::uint32_t rgb) {
  if (gradient >= pending_.gradients.size() || index >= VSKN_MAX_GRADIENT_STOPS || position > 255 ||
      rgb > 0xFFFFFFu)
    return kIgnored;
  auto& stops = pending_.gradients[gradient];
  if (index > stops.size()) return kIgnored;  // stops arrive in order
  if (index == stops.size()) stops.emplace_back();
  stops[index] = GradientStop{static_cast<int>(position), rgb};
  return kUsed;
}

std::uint32_t SkinHost::Apply() {
  for (auto& stops : pending_.gradients)
    std::stable_sort(stops.begin(), stops.end(),
                     [](const GradientStop& a, const GradientStop& b) { return a.position < b.position; });
  styler_->ApplySkin(pending_);
  pending_ = SkinParameters{};
  return kUsed;
}

std::uint32_t SkinHost::Remove() {
  styler_->RemoveSkin();
  return kUsed;
}

HostLibrary SkinHost::Library() {
  HostLibrary library;
  library.name = VARSKIN_HOST_LIBRARY;
  library.functions.push_back(Cdecl("HostSetColor", 2, [this](auto args, AddressSpace32&) {
    return SetColor(args[0], args[1]);
  }));
  library.functions.push_back(Cdecl("HostSetFont", 4, [this](auto args, AddressSpace32& memory) {
    auto family = ReadMachineText(memory, args[1], VSKN_MAX_FONT_NAME);
    return family ? SetFont(args[0], std::move(*family), args[2], args[3]) : kIgnored;
  }));
  library.functions.push_back(Cdecl("HostSetMetric", 2, [this](auto args, AddressSpace32&) {
    return SetMetric(args[0], args[1]);
  }));
  library.functions.push_back(Cdecl("HostSetGradientStop", 4, [this](auto args, AddressSpace32&) {
    return SetGradientStop(args[0], args[1], args[2], args[3]);
  }));
  library.functions.push_back(Cdecl("HostApplySkin", 0, [this](auto, AddressSpace32&) { return Apply(); }));
  library.functions.push_back(Cdecl("HostRemoveSkin", 0, [this](auto, AddressSpace32&) { return Remove(); }));
  return library;
}

}  // namespace varomby
