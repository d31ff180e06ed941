#pragma once
// Fixtures shared by the skin tests: a styler that records what it is told,
// and a machine that counts the calls it runs.
#include <memory>
#include <stdexcept>
#include <vector>

#include "memmodule/machine/create_machine.h"
#include "memmodule/skin/skin_host_library.h"

namespace varomby::testing {

struct RecordingStyler : SkinStyler {
  std::vector<SkinParameters> applied;
  int removed = 0;
  void ApplySkin(const SkinParameters& skin) override { applied.push_back(skin); }
  void RemoveSkin() override { ++removed; }
};

// Forwards everything to a real machine and counts Call.
class CountingMachine : public Machine32 {
 public:
  explicit CountingMachine(std::unique_ptr<Machine32> inner) : inner_(std::move(inner)) {
    if (!inner_) throw std::runtime_error("no 32-bit machine on this host");
  }
  int calls = 0;
  std::uint32_t Allocate(std::uint32_t preferred, std::uint32_t size) override {
    return inner_->Allocate(preferred, size);
  }
  bool Free(std::uint32_t base) override { return inner_->Free(base); }
  bool Read(std::uint32_t address, std::span<std::uint8_t> out) const override { return inner_->Read(address, out); }
  bool Write(std::uint32_t address, std::span<const std::uint8_t> in) override { return inner_->Write(address, in); }
  std::uint32_t Call(std::uint32_t target, const Arguments& args) override {
    ++calls;
    return inner_->Call(target, args);
  }
  std::uint32_t LoadLibrary(const std::string& name) override { return inner_->LoadLibrary(name); }
  std::uint32_t GetProcAddress(std::uint32_t handle, const std::string& name, std::uint16_t ordinal) override {
    return inner_->GetProcAddress(handle, name, ordinal);
  }
  void AddHostLibrary(HostLibrary library) override { inner_->AddHostLibrary(std::move(library)); }

 private:
  std::unique_ptr<Machine32> inner_;
};

// A fresh machine offering the skin host library, with a styler that
// records what reaches it.
struct SkinTestMachine {
  RecordingStyler styler;
  SkinHost host{styler};
  std::unique_ptr<CountingMachine> machine = std::make_unique<CountingMachine>(CreateMachine32());
  SkinTestMachine() { machine->AddHostLibrary(host.Library()); }
};

}  // namespace varomby::testing
