#pragma once
// The state that outlives single events: created at start-up, released by
// the exit clean-up (the destructor) when the program ends. The process's
// one MemoryModule, which holds the skin library, belongs to the skin
// session (app/skin_host.h) that start-up creates beside it.
#include "pe/pe_header_state.h"

namespace varomby::app {

struct AppGlobals {
  PeHeaderState peHeaders{};  // all zero, no section record
};

}  // namespace varomby::app
