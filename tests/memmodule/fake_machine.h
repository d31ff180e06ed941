#pragma once
// A Machine32 that runs no code, for the loader's walks: memory in plain
// host buffers with first-fit addresses, calls recorded and answered with a
// chosen value, libraries accepted unless refused by name.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "memmodule/machine32.h"

namespace varomby::testing {

class FakeMachine : public Machine32 {
 public:
  struct CallRecord {
    std::uint32_t target;
    Arguments args;
  };
  struct ProcRequest {
    std::uint32_t handle;
    std::string name;
    std::uint16_t ordinal;
  };

  std::uint32_t maxAllocation = 256u << 20;  // keeps hostile sizes from eating memory
  static constexpr std::uint32_t kProcBase = 0x7F000000;

  std::vector<CallRecord> calls;
  std::vector<std::string> loadedLibraries;
  std::vector<ProcRequest> procRequests;
  std::set<std::string> refusedLibraries;
  bool procsMissing = false;  // GetProcAddress answers 0
  // Answers every Call; by default 1 (entry points accept).
  std::function<std::uint32_t(std::uint32_t target, const Arguments& args)> onCall =
      [](std::uint32_t, const Arguments&) { return 1u; };

  std::uint32_t Allocate(std::uint32_t preferred, std::uint32_t size) override {
    if (size == 0 || size > maxAllocation) return 0;
    if (preferred != 0 && IsFree(preferred, size)) return Reserve(preferred, size);
    for (std::uint64_t at = kFirstAddress; at + size <= kAddressLimit; at += kGranularity) {
      if (IsFree(static_cast<std::uint32_t>(at), size)) return Reserve(static_cast<std::uint32_t>(at), size);
    }
    return 0;
  }
  bool Free(std::uint32_t base) override { return blocks_.erase(base) == 1; }
  bool Read(std::uint32_t address, std::span<std::uint8_t> out) const override {
    const std::vector<std::uint8_t>* block = Find(address, out.size());
    if (block == nullptr) return false;
    std::copy_n(block->begin() + Offset(address), out.size(), out.begin());
    return true;
  }
  bool Write(std::uint32_t address, std::span<const std::uint8_t> in) override {
    std::vector<std::uint8_t>* block = const_cast<std::vector<std::uint8_t>*>(Find(address, in.size()));
    if (block == nullptr) return false;
    std::copy(in.begin(), in.end(), block->begin() + Offset(address));
    return true;
  }
  std::uint32_t Call(std::uint32_t target, const Arguments& args) override {
    calls.push_back({target, args});
    return onCall(target, args);
  }
  std::uint32_t LoadLibrary(const std::string& name) override {
    loadedLibraries.push_back(name);
    return refusedLibraries.contains(name) ? 0 : static_cast<std::uint32_t>(loadedLibraries.size());
  }
  std::uint32_t GetProcAddress(std::uint32_t handle, const std::string& name, std::uint16_t ordinal) override {
    procRequests.push_back({handle, name, ordinal});
    return procsMissing ? 0 : kProcBase + static_cast<std::uint32_t>(procRequests.size());
  }
  void AddHostLibrary(HostLibrary) override {}

  std::size_t ReservationCount() const { return blocks_.size(); }
  std::uint32_t ReservationSize(std::uint32_t base) const {
    const auto it = blocks_.find(base);
    return it == blocks_.end() ? 0 : static_cast<std::uint32_t>(it->second.size());
  }

 private:
  static constexpr std::uint64_t kFirstAddress = 0x00100000;
  static constexpr std::uint64_t kAddressLimit = 0x80000000;
  static constexpr std::uint64_t kGranularity = 0x10000;

  bool IsFree(std::uint32_t start, std::uint32_t size) const {
    const std::uint64_t end = std::uint64_t{start} + size;
    if (end > kAddressLimit) return false;
    for (const auto& [base, block] : blocks_) {
      if (start < base + block.size() && base < end) return false;
    }
    return true;
  }
  std::uint32_t Reserve(std::uint32_t base, std::uint32_t size) {
    blocks_[base].assign(size, 0);
    return base;
  }
  const std::vector<std::uint8_t>* Find(std::uint32_t address, std::size_t n) const {
    auto it = blocks_.upper_bound(address);
    if (it == blocks_.begin()) return nullptr;
    --it;
    const std::uint64_t offset = address - it->first;
    if (offset > it->second.size() || n > it->second.size() - offset) return nullptr;
    return &it->second;
  }
  std::ptrdiff_t Offset(std::uint32_t address) const {
    auto it = blocks_.upper_bound(address);
    --it;
    return static_cast<std::ptrdiff_t>(address - it->first);
  }

  std::map<std::uint32_t, std::vector<std::uint8_t>> blocks_;
};

}  // namespace varomby::testing
