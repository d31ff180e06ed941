#pragma once
// Limits that keep untrusted images from exhausting the host.
#include <cstdint>

namespace varomby {

struct MachineLimits {
  // Bytes that Allocate hands out in total; later requests get 0.
  std::uint64_t memoryLimit = std::uint64_t{1} << 30;
  // Instructions one outermost Call may run, nested calls included, before
  // it is stopped and counts as returning 0 (emulated machines only).
  std::uint64_t instructionBudget = 50'000'000;
};

}  // namespace varomby
