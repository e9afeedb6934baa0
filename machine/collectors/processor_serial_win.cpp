#include <windows.h>

#include <cpuid.h>

#include "machine/collectors/processor_serial.h"

namespace {

constexpr uint64_t kAlignmentCheckFlag = 1ull << 18;
constexpr uint64_t kIdentificationFlag = 1ull << 21;
constexpr unsigned kFeatureLeaf = 1;
constexpr unsigned kSerialLeaf = 3;

// Writes the flags register with some bits set and some inverted, reads it back, and puts the
// flags as they were found, in one sequence. Setting the alignment-check flag really turns
// alignment checking on where the system allows it, so nothing but the stack's own aligned
// 8-byte pushes and pops may touch memory while it is set. Returns the flags read back;
// `saved` gets the flags as they were found.
uint64_t TryFlags(uint64_t setBits, uint64_t invertBits, uint64_t* saved) {
  uint64_t before, seen;
  asm volatile(
      "pushfq\n\t"
      "popq %0\n\t"
      "movq %0, %1\n\t"
      "orq %2, %1\n\t"
      "xorq %3, %1\n\t"
      "pushq %1\n\t"
      "popfq\n\t"
      "pushfq\n\t"
      "popq %1\n\t"
      "pushq %0\n\t"
      "popfq"
      : "=&r"(before), "=&r"(seen)
      : "r"(setBits), "r"(invertBits)
      : "cc", "memory");
  *saved = before;
  return seen;
}

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
  // Each flags test puts the register back before it returns, so every exit below leaves the
  // flags as they were found.
  uint64_t saved = 0;
  if ((TryFlags(kAlignmentCheckFlag, 0, &saved) & kAlignmentCheckFlag) == 0) return 1;
  if (((TryFlags(0, kIdentificationFlag, &saved) ^ saved) & kIdentificationFlag) == 0) return 1;

  unsigned eax, ebx, ecx, edx;
  __cpuid(kFeatureLeaf, eax, ebx, ecx, edx);
  int result = ProbeResultForFeatures(edx);
  if (result != 0) return result;

  __cpuid(kFeatureLeaf, eax, ebx, ecx, edx);
  words[0] = eax;   // the processor signature
  __cpuid(kSerialLeaf, eax, ebx, ecx, edx);
  words[1] = ecx;
  words[2] = edx;
  return 0;
}

int QueryProcessorSerial(char* text) {
  return QuerySerialWith(&kSystemSerialPlatform, text);
}

int GetProcessorSerial(MachineAttributes* record) {
  record->processorSerial[0] = '\0';
  return QueryProcessorSerial(record->processorSerial) == 0 ? 0 : -1;
}
