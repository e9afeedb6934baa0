// The processor serial number: the 96-bit serial number of processors that report the
// serial-number feature, read on processor 0 and written as 24 lower-case hex digits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "machine/machine_attributes.h"

constexpr size_t kSerialWordCount = 3;

// The collector of the processor serial field. Returns 0 when the serial number was read, -1
// otherwise (the field then stays empty).
int GetProcessorSerial(MachineAttributes* record);

// Reads the serial number on processor 0 into a text of at least 25 bytes. Returns 0 with the
// 24 digits, or 1 with an empty text.
int QueryProcessorSerial(char* text);

// Talks to the processor: fills the three words (signature, then ECX and EDX of the serial
// leaf) and returns 0; 1 without CPUID or without SSE; 2 without the serial-number feature.
// The flags register is left as it was found.
int ReadSerialWithCpuid(uint32_t words[kSerialWordCount]);

// Plain logic of the query and the probe.

// What the probe makes of EDX of CPUID leaf 1: 1 when SSE (bit 25) is clear, else 2 when the
// serial-number feature (bit 18) is clear, else 0.
int ProbeResultForFeatures(uint32_t features);

// The processor operations the probe runs on.
struct ProcessorOps {
  // Writes the flags register with setBits set and invertBits inverted, reads it back and puts
  // the flags as they were found; returns the flags read back, *saved the flags as found.
  uintptr_t (*tryFlags)(uintptr_t setBits, uintptr_t invertBits, uintptr_t* saved);
  // Runs CPUID for a leaf: registers[0..3] get EAX, EBX, ECX and EDX.
  void (*cpuid)(uint32_t leaf, uint32_t registers[4]);
};

// The probe over given processor operations: the alignment-check and identification flag
// tests, the feature bits of leaf 1, then the signature (leaf 1 EAX) and ECX and EDX of the
// serial leaf 3, in that order.
int ProbeSerialWith(const ProcessorOps* ops, uint32_t words[kSerialWordCount]);

// "%08x%08x%08x": each word as 8 lower-case digits with leading zeros, into 25 bytes or more.
void FormatProcessorSerial(const uint32_t words[kSerialWordCount], char* text, size_t size);

// The platform operations the query runs on.
struct SerialPlatform {
  // The process affinity mask (bit n for processor n); false when it can't be read.
  bool (*readProcessMask)(uintptr_t* mask);
  // Restricts the calling thread to a mask; returns the thread's previous mask, 0 on failure.
  uintptr_t (*setThreadMask)(uintptr_t mask);
  int (*probe)(uint32_t words[kSerialWordCount]);
};

// The query over a given platform: processor 0 only; the thread is moved there when the
// process may run elsewhere too, and its previous mask given back after the probe.
int QuerySerialWith(const SerialPlatform* platform, char* text);

// The Windows operations, with ReadSerialWithCpuid as the probe.
extern const SerialPlatform kSystemSerialPlatform;
