#include "machine/collectors/processor_serial.h"

#include "common/bounded_text.h"

namespace {

constexpr uint32_t kSseBit = 1u << 25;
constexpr uint32_t kSerialNumberBit = 1u << 18;
constexpr uintptr_t kProcessorZero = 1;
constexpr uintptr_t kAlignmentCheckFlag = uintptr_t{1} << 18;
constexpr uintptr_t kIdentificationFlag = uintptr_t{1} << 21;
constexpr uint32_t kFeatureLeaf = 1;
constexpr uint32_t kSerialLeaf = 3;
enum { kEax, kEbx, kEcx, kEdx };

}  // namespace

int ProbeResultForFeatures(uint32_t features) {
  if ((features & kSseBit) == 0) return 1;
  if ((features & kSerialNumberBit) == 0) return 2;
  return 0;
}

int ProbeSerialWith(const ProcessorOps* ops, uint32_t words[kSerialWordCount]) {
  // Each flags test puts the register back before it returns, so every exit below leaves the
  // flags as they were found. A 386 can't keep the alignment-check flag set; a processor
  // without CPUID can't change the identification flag.
  uintptr_t saved = 0;
  if ((ops->tryFlags(kAlignmentCheckFlag, 0, &saved) & kAlignmentCheckFlag) == 0) return 1;
  // The call writes saved: it is read only once the call has returned.
  uintptr_t seen = ops->tryFlags(0, kIdentificationFlag, &saved);
  if (((seen ^ saved) & kIdentificationFlag) == 0) return 1;

  uint32_t registers[4] = {0, 0, 0, 0};
  ops->cpuid(kFeatureLeaf, registers);
  int result = ProbeResultForFeatures(registers[kEdx]);
  if (result != 0) return result;

  ops->cpuid(kFeatureLeaf, registers);
  words[0] = registers[kEax];   // the processor signature
  ops->cpuid(kSerialLeaf, registers);
  words[1] = registers[kEcx];
  words[2] = registers[kEdx];
  return 0;
}

void FormatProcessorSerial(const uint32_t words[kSerialWordCount], char* text, size_t size) {
  text[0] = '\0';
  AppendText(text, size, "%08x%08x%08x", static_cast<unsigned>(words[0]),
             static_cast<unsigned>(words[1]), static_cast<unsigned>(words[2]));
}

int QuerySerialWith(const SerialPlatform* platform, char* text) {
  if (text == nullptr) return 1;
  text[0] = '\0';
  uintptr_t processMask = 0;
  if (!platform->readProcessMask(&processMask) || (processMask & kProcessorZero) == 0) return 1;

  // A process that may only run on processor 0 is there already. When the thread can't be
  // moved, the probe runs where it is.
  uintptr_t previousThreadMask = 0;
  if (processMask != kProcessorZero) previousThreadMask = platform->setThreadMask(kProcessorZero);

  uint32_t words[kSerialWordCount] = {0, 0, 0};
  int result = platform->probe(words);
  if (previousThreadMask != 0) platform->setThreadMask(previousThreadMask);

  if (result != 0) return 1;
  FormatProcessorSerial(words, text, kProcessorSerialSize);
  return 0;
}
