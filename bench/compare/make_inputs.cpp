// Writes two files of equal length that differ in a fixed number of short
// runs at deterministic, spread-out positions. Same arguments, same files.
//   varomby_bench_make_inputs FIRST SECOND SIZE_MIB RUNS
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// xorshift64*: small, fast and the same everywhere.
struct Random {
  std::uint64_t state;
  std::uint64_t Next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Dull;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s FIRST SECOND SIZE_MIB RUNS\n", argv[0]);
    return 2;
  }
  const std::uint64_t size = std::strtoull(argv[3], nullptr, 10) << 20;
  const std::uint64_t runs = std::strtoull(argv[4], nullptr, 10);
  if (size == 0 || runs == 0 || runs * 64 > size) return 2;
  std::FILE* first = std::fopen(argv[1], "wb");
  std::FILE* second = std::fopen(argv[2], "wb");
  if (first == nullptr || second == nullptr) return 2;

  Random random{0x9E3779B97F4A7C15ull};
  const std::uint64_t spacing = size / runs;  // one run in every stretch of this size
  constexpr std::size_t kBlock = 1 << 20;
  std::vector<std::uint8_t> a(kBlock), b(kBlock);
  std::uint64_t nextRun = spacing / 2;
  for (std::uint64_t done = 0; done < size; done += kBlock) {
    for (std::size_t i = 0; i < kBlock; i += 8) {
      const std::uint64_t word = random.Next();
      for (std::size_t k = 0; k < 8; ++k) a[i + k] = static_cast<std::uint8_t>(word >> (8 * k));
    }
    b = a;
    // Runs of 1 to 16 bytes starting in this block; a run never reaches the next block.
    while (nextRun < done + kBlock && nextRun + 16 < done + kBlock) {
      const std::size_t start = static_cast<std::size_t>(nextRun - done);
      const std::size_t length = 1 + random.Next() % 16;
      for (std::size_t k = 0; k < length; ++k) b[start + k] = static_cast<std::uint8_t>(a[start + k] ^ 0x5A);
      nextRun += spacing;
    }
    if (nextRun < done + kBlock) nextRun = done + kBlock + 1;
    std::fwrite(a.data(), 1, kBlock, first);
    std::fwrite(b.data(), 1, kBlock, second);
  }
  return std::fclose(first) == 0 && std::fclose(second) == 0 ? 0 : 1;
}
