#pragma once
// The machine this host runs in-memory images on.
#include <memory>

#include "memmodule/machine/machine_limits.h"
#include "memmodule/machine32.h"

namespace varomby {

// The process itself on a 32-bit x86 host, else an emulated x86-32 CPU;
// null when neither is available.
std::unique_ptr<Machine32> CreateMachine32(MachineLimits limits = {});

}  // namespace varomby
