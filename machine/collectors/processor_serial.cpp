#include "machine/collectors/processor_serial.h"

#include "common/bounded_text.h"

namespace {

constexpr uint32_t kSseBit = 1u << 25;
constexpr uint32_t kSerialNumberBit = 1u << 18;
constexpr uintptr_t kProcessorZero = 1;

}  // namespace

int ProbeResultForFeatures(uint32_t features) {
  if ((features & kSseBit) == 0) return 1;
  if ((features & kSerialNumberBit) == 0) return 2;
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
