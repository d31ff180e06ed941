#include "memmodule/machine/create_machine.h"

#if defined(VAROMBY_MACHINE_NATIVE)
#include "memmodule/machine/native_machine.h"
#endif
#if defined(VAROMBY_MACHINE_UNICORN)
#include "memmodule/machine/unicorn_machine.h"
#endif

namespace varomby {

std::unique_ptr<Machine32> CreateMachine32([[maybe_unused]] MachineLimits limits) {
#if defined(VAROMBY_MACHINE_NATIVE)
  return std::make_unique<NativeMachine>(limits);
#elif defined(VAROMBY_MACHINE_UNICORN)
  auto machine = std::make_unique<UnicornMachine>(limits);
  if (!machine->IsReady()) return nullptr;
  return machine;
#else
  return nullptr;
#endif
}

}  // namespace varomby
