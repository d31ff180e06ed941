// The plain way to find the runs of differing bytes: read both files in
// 1 MiB blocks, skip equal 64-byte stretches with memcmp, walk the others
// byte by byte, and print each run's offset and length. The yardstick for
// what reading and comparing the files costs at least.
//   varomby_bench_plain_scan FIRST SECOND > runs.txt
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::FILE* first = std::fopen(argv[1], "rb");
  std::FILE* second = std::fopen(argv[2], "rb");
  if (first == nullptr || second == nullptr) return 2;
  constexpr std::size_t kBlock = 1 << 20;
  constexpr std::size_t kStretch = 64;
  std::vector<unsigned char> a(kBlock), b(kBlock);
  std::uint64_t base = 0, runStart = 0, runLength = 0, runs = 0;
  for (;;) {
    const std::size_t n = std::fread(a.data(), 1, kBlock, first);
    if (n == 0 || std::fread(b.data(), 1, n, second) != n) break;
    for (std::size_t i = 0; i < n; i += kStretch) {
      const std::size_t m = n - i < kStretch ? n - i : kStretch;
      if (runLength == 0 && std::memcmp(&a[i], &b[i], m) == 0) continue;
      for (std::size_t k = i; k < i + m; ++k) {
        if (a[k] != b[k]) {
          if (runLength++ == 0) runStart = base + k;
        } else if (runLength > 0) {
          std::printf("%llu %llu\n", static_cast<unsigned long long>(runStart), static_cast<unsigned long long>(runLength));
          runLength = 0;
          ++runs;
        }
      }
    }
    base += n;
  }
  if (runLength > 0) {
    std::printf("%llu %llu\n", static_cast<unsigned long long>(runStart), static_cast<unsigned long long>(runLength));
    ++runs;
  }
  std::fprintf(stderr, "%llu runs\n", static_cast<unsigned long long>(runs));
  return runs > 0 ? 1 : 0;
}
