#pragma once
// The state that outlives single events: created at start-up in this order,
// released by the exit clean-up (the destructor) when the program ends.
#include "pe/pe_header_state.h"

namespace varomby::app {

// Seam for the process's one in-memory module that holds the skin library.
// Until the loader is linked in it is an empty object; the skin start-up
// loads the skin library into it.
struct MemoryModuleSlot {};

struct AppGlobals {
  PeHeaderState peHeaders{};      // all zero, no section record
  MemoryModuleSlot memoryModule;  // empty
};

}  // namespace varomby::app
