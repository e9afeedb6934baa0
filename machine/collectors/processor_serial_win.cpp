#include <windows.h>

#include <cpuid.h>

#include "machine/collectors/processor_serial.h"

namespace {

// Writes the flags register with some bits set and some inverted, reads it back, and puts the
// flags as they were found, in one sequence. Setting the alignment-check flag really turns
// alignment checking on where the system allows it, so nothing but the stack's own aligned
// pushes and pops of whole registers may touch memory while it is set.
uintptr_t TryFlags(uintptr_t setBits, uintptr_t invertBits, uintptr_t* saved) {
  uintptr_t before, seen;
  // pushf, popf, push and pop take the width of the mode, and the other instructions that of
  // their register operands: one sequence serves both builds.
  asm volatile(
      "pushf\n\t"
      "pop %0\n\t"
      "mov %0, %1\n\t"
      "or %2, %1\n\t"
      "xor %3, %1\n\t"
      "push %1\n\t"
      "popf\n\t"
      "pushf\n\t"
      "pop %1\n\t"
      "push %0\n\t"
      "popf"
      : "=&r"(before), "=&r"(seen)
      : "r"(setBits), "r"(invertBits)
      : "cc", "memory");
  *saved = before;
  return seen;
}

void Cpuid(uint32_t leaf, uint32_t registers[4]) {
  unsigned eax, ebx, ecx, edx;
  __cpuid(leaf, eax, ebx, ecx, edx);
  registers[0] = eax;
  registers[1] = ebx;
  registers[2] = ecx;
  registers[3] = edx;
}

// This processor's flags register and CPUID instruction.
const ProcessorOps kSystemProcessorOps = {TryFlags, Cpuid};

bool ReadProcessMask(uintptr_t* mask) {
  DWORD_PTR processMask = 0, systemMask = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask)) return false;
  *mask = processMask;
  return true;
}

uintptr_t SetThreadMask(uintptr_t mask) {
  return SetThreadAffinityMask(GetCurrentThread(), mask);
}

}  // namespace

const SerialPlatform kSystemSerialPlatform = {ReadProcessMask, SetThreadMask,
                                              ReadSerialWithCpuid};

int ReadSerialWithCpuid(uint32_t words[kSerialWordCount]) {
  return ProbeSerialWith(&kSystemProcessorOps, words);
}

int QueryProcessorSerial(char* text) {
  return QuerySerialWith(&kSystemSerialPlatform, text);
}

int GetProcessorSerial(MachineAttributes* record) {
  record->processorSerial[0] = '\0';
  return QueryProcessorSerial(record->processorSerial) == 0 ? 0 : -1;
}
