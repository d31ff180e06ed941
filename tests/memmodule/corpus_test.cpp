// Every file of the corpus of odd and broken PE files goes through the
// loader on a machine that runs no code: no crash, no hang, nothing left
// reserved, hostile sizes refused by the machine's allocation cap.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "memmodule/memory_module.h"
#include "tests/memmodule/fake_machine.h"

namespace varomby {
namespace {

TEST(LoaderCorpusTest, EveryFileMapsOrIsRefusedCleanly) {
  const std::filesystem::path corpus = VAROMBY_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  int files = 0;
  int mapped = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    testing::FakeMachine machine;
    MemoryModule module(machine);
    ++files;
    if (module.Load(bytes)) {
      ++mapped;
      module.GetProc("DllMain");
      module.GetProc("1");
      module.GetEntryPoint();
      // Relocations may rewrite the headers of an odd image; its release is
      // then refused and the image stays reserved, nothing else.
      const bool released = module.Unload();
      EXPECT_EQ(machine.ReservationCount(), released ? 0u : 1u) << entry.path();
    } else {
      EXPECT_EQ(machine.ReservationCount(), 0u) << entry.path();
    }
  }
  EXPECT_GT(files, 0);
  EXPECT_GT(mapped, 0);  // the walks really ran on mapped images
}

}  // namespace
}  // namespace varomby
