#include "compare/diff_engine.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace varomby {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct FoundRun {
  std::uint64_t offset;
  Bytes first;
  Bytes second;
  bool operator==(const FoundRun&) const = default;
};

class CollectingSink : public DiffSink {
 public:
  bool OnRun(std::uint64_t offset, std::span<const std::uint8_t> first,
             std::span<const std::uint8_t> second) override {
    runs.push_back({offset, Bytes(first.begin(), first.end()), Bytes(second.begin(), second.end())});
    return stopAfter == 0 || runs.size() < stopAfter;
  }
  std::vector<FoundRun> runs;
  std::size_t stopAfter = 0;
};

// The runs found one byte at a time: what the engine must reproduce.
std::vector<FoundRun> ReferenceRuns(const Bytes& a, const Bytes& b) {
  std::vector<FoundRun> runs;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    if (runs.empty() || runs.back().offset + runs.back().first.size() != i) runs.push_back({i, {}, {}});
    runs.back().first.push_back(a[i]);
    runs.back().second.push_back(b[i]);
  }
  return runs;
}

DiffSummary Compare(const Bytes& a, const Bytes& b, CollectingSink& sink, std::size_t blockSize) {
  MemorySource first(a), second(b);
  return CompareSources(first, second, a.size(), sink, blockSize);
}

TEST(DiffEngineTest, FindsTheSameRunsAsAByteByByteWalk) {
  const struct {
    const char* name;
    Bytes a;
    Bytes b;
  } cases[] = {
      {"ABCD/AXCY", {'A', 'B', 'C', 'D'}, {'A', 'X', 'C', 'Y'}},
      {"identical", {1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"empty", {}, {}},
      {"all differ", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"last byte", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}},
      {"3+2", {1, 1, 1, 0, 1, 1}, {2, 2, 2, 0, 2, 2}},
      {"zeros inside a run", {0, 0, 5, 0}, {1, 2, 0, 3}},
  };
  for (const auto& c : cases) {
    for (const std::size_t blockSize : {1, 2, 3, 8, 64}) {
      CollectingSink sink;
      const DiffSummary summary = Compare(c.a, c.b, sink, blockSize);
      const std::vector<FoundRun> expected = ReferenceRuns(c.a, c.b);
      EXPECT_EQ(summary.status, DiffStatus::Completed) << c.name;
      EXPECT_EQ(sink.runs, expected) << c.name << " block " << blockSize;
      EXPECT_EQ(summary.runs, expected.size()) << c.name;
    }
  }
}

TEST(DiffEngineTest, RandomRunsAcrossBlockAndWordBoundaries) {
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    const std::size_t size = 1 + random() % 5000;
    Bytes a(size), b;
    for (auto& byte : a) byte = static_cast<std::uint8_t>(random());
    b = a;
    // Runs of varied lengths, some long enough to span many words and blocks.
    for (int runs = static_cast<int>(random() % 20); runs > 0; --runs) {
      const std::size_t start = random() % size;
      const std::size_t length = std::min<std::size_t>(size - start, 1 + random() % (round % 2 ? 700 : 9));
      for (std::size_t i = start; i < start + length; ++i) b[i] = static_cast<std::uint8_t>(a[i] ^ (1 + random() % 255));
    }
    const std::size_t blockSize = 1 + random() % 1200;
    CollectingSink sink;
    const DiffSummary summary = Compare(a, b, sink, blockSize);
    ASSERT_EQ(sink.runs, ReferenceRuns(a, b)) << "round " << round << " block " << blockSize;
    std::uint64_t differing = 0;
    for (const FoundRun& run : sink.runs) differing += run.first.size();
    EXPECT_EQ(summary.differing, differing);
  }
}

TEST(DiffEngineTest, SinkCanStopTheComparison) {
  const Bytes a = {1, 0, 1, 0, 1, 0, 1};
  const Bytes b = {2, 0, 2, 0, 2, 0, 2};
  CollectingSink sink;
  sink.stopAfter = 2;
  EXPECT_EQ(Compare(a, b, sink, 2).status, DiffStatus::Stopped);
  EXPECT_EQ(sink.runs.size(), 2u);
}

// A source whose real length differs from the one the comparison was told.
class ResizedSource : public ByteSource {
 public:
  ResizedSource(std::size_t realLength, bool failReads = false) : bytes_(realLength, 0x11), failReads_(failReads) {}
  std::int64_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
    if (failReads_) return -1;
    return MemorySource(bytes_).ReadAt(offset, out);
  }

 private:
  Bytes bytes_;
  bool failReads_;
};

TEST(DiffEngineTest, ASourceOfAnotherLengthThanMeasuredEndsTheRun) {
  const struct {
    const char* name;
    std::size_t firstLength;
    std::size_t secondLength;
    bool secondFails;
    DiffStatus expected;
  } cases[] = {
      {"first shorter", 90, 100, false, DiffStatus::FirstChanged},
      {"second shorter", 100, 50, false, DiffStatus::SecondChanged},
      {"first longer", 101, 100, false, DiffStatus::FirstChanged},
      {"second longer", 100, 100000, false, DiffStatus::SecondChanged},
      {"second unreadable", 100, 100, true, DiffStatus::SecondChanged},
  };
  for (const auto& c : cases) {
    const ResizedSource first(c.firstLength);
    const ResizedSource second(c.secondLength, c.secondFails);
    CollectingSink sink;
    EXPECT_EQ(CompareSources(first, second, 100, sink, 16).status, c.expected) << c.name;
    EXPECT_TRUE(sink.runs.empty()) << c.name;
  }
}

}  // namespace
}  // namespace varomby
