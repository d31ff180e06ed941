#pragma once
// Small x86-32 routines, assembled by hand, for running on a Machine32.
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "memmodule/machine32.h"

namespace varomby::testing {

using Code = std::vector<std::uint8_t>;

inline void Append(Code& code, std::initializer_list<std::uint8_t> bytes) { code.insert(code.end(), bytes); }

inline void AppendWord(Code& code, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) code.push_back(static_cast<std::uint8_t>(value >> shift));
}

// ret (popBytes 0) or ret popBytes.
inline void AppendReturn(Code& code, std::uint16_t popBytes) {
  if (popBytes == 0) {
    code.push_back(0xC3);
  } else {
    Append(code, {0xC2, static_cast<std::uint8_t>(popBytes & 0xFF), static_cast<std::uint8_t>(popBytes >> 8)});
  }
}

// mov eax, value; ret
inline Code ReturnConstant(std::uint32_t value) {
  Code code{0xB8};
  AppendWord(code, value);
  AppendReturn(code, 0);
  return code;
}

// mov eax, [esp + 4 * index]; ret popBytes — returns argument `index` (1-based).
inline Code ReturnArgument(int index, std::uint16_t popBytes) {
  Code code{0x8B, 0x44, 0x24, static_cast<std::uint8_t>(4 * index)};
  AppendReturn(code, popBytes);
  return code;
}

// A stdcall routine of three arguments returning a1 - a2 + 2 * a3 (ret 12).
inline Code StdcallCombine3() {
  return {0x8B, 0x44, 0x24, 0x04,   // mov eax, [esp+4]
          0x2B, 0x44, 0x24, 0x08,   // sub eax, [esp+8]
          0x8B, 0x4C, 0x24, 0x0C,   // mov ecx, [esp+12]
          0x8D, 0x04, 0x48,         // lea eax, [eax+ecx*2]
          0xC2, 0x0C, 0x00};        // ret 12
}

// Returns the sum of i * a_i over the first `count` arguments (count >= 1).
inline Code WeightedSum(std::uint8_t count, std::uint16_t popBytes) {
  Code code{0x31, 0xC0,              // xor eax, eax
            0xB9, count, 0, 0, 0,    // mov ecx, count
            0x8B, 0x14, 0x8C,        // next: mov edx, [esp+ecx*4]
            0x0F, 0xAF, 0xD1,        // imul edx, ecx
            0x01, 0xD0,              // add eax, edx
            0x49,                    // dec ecx
            0x75, 0xF5};             // jnz next
  AppendReturn(code, popBytes);
  return code;
}

// mov eax, esp; ret — the stack pointer a routine starts with.
inline Code ReturnStackPointer() { return {0x89, 0xE0, 0xC3}; }

// Calls `function` with its own a1 and a2 (pushed like a C caller would),
// removing them itself when `callerPops` (cdecl); returns the function's
// result, or 0xBAD when the stack pointer is not where it was before the
// call.
inline Code CallWithTwoArguments(std::uint32_t function, bool callerPops) {
  Code code{0x55,                    // push ebp
            0x89, 0xE5,              // mov ebp, esp
            0xFF, 0x75, 0x0C,        // push dword [ebp+12]
            0xFF, 0x75, 0x08,        // push dword [ebp+8]
            0xB8};                   // mov eax, function
  AppendWord(code, function);
  Append(code, {0xFF, 0xD0});        // call eax
  if (callerPops) Append(code, {0x83, 0xC4, 0x08});  // add esp, 8
  Append(code, {0x39, 0xEC,          // cmp esp, ebp
                0x74, 0x07,          // je done
                0xB8, 0xAD, 0x0B, 0x00, 0x00,  // mov eax, 0xBAD
                0x89, 0xEC,          // mov esp, ebp
                0x5D,                // done: pop ebp
                0xC3});              // ret
  return code;
}

// Code written into fresh memory of `machine`; returns its address, 0 on failure.
inline std::uint32_t Load(Machine32& machine, const Code& code) {
  const std::uint32_t address = machine.Allocate(0, static_cast<std::uint32_t>(code.size()));
  if (address == 0 || !machine.Write(address, code)) return 0;
  return address;
}

inline CodeRunner::Arguments DistinctArguments() {
  return {0x11111111, 0x22222222, 0x33333333, 0x44444444, 0x55555555,
          0x66666666, 0x77777777, 0x08888888, 0x09999999, 0x0AAAAAAA};
}

}  // namespace varomby::testing
