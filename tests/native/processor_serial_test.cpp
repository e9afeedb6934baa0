// The processor serial number's decision over the feature bits, its text form, and the query's
// handling of the thread's affinity, over fake platform operations.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "machine/collectors/processor_serial.h"

namespace {

constexpr uint32_t kSse = 1u << 25;
constexpr uint32_t kSerialNumber = 1u << 18;

TEST(ProbeResult, SseIsTestedBeforeTheSerialNumberFeature) {
  EXPECT_EQ(ProbeResultForFeatures(kSse | kSerialNumber), 0);
  EXPECT_EQ(ProbeResultForFeatures(kSerialNumber), 1);
  EXPECT_EQ(ProbeResultForFeatures(kSse), 2);
  EXPECT_EQ(ProbeResultForFeatures(0), 1);
  EXPECT_EQ(ProbeResultForFeatures(1u << 26 | kSerialNumber), 1);   // SSE2 is not SSE
  EXPECT_EQ(ProbeResultForFeatures(0xffffffffu & ~kSerialNumber), 2);
}

TEST(SerialText, EightLowerCaseDigitsPerWordSignatureFirst) {
  struct { uint32_t words[3]; const char* text; } cases[] = {
      {{0x686, 0, 0}, "000006860000000000000000"},
      {{0x6b1, 0x12, 0xabcdef}, "000006b10000001200abcdef"},
      {{0xffffffff, 0x1, 0xa0000000}, "ffffffff00000001a0000000"},
      {{0, 0, 0}, "000000000000000000000000"},
  };
  for (const auto& c : cases) {
    char text[32];
    memset(text, 'X', sizeof text);
    FormatProcessorSerial(c.words, text, sizeof text);
    EXPECT_STREQ(text, c.text);
    EXPECT_EQ(strlen(text), 24u);
  }
}

constexpr uintptr_t kAlignmentCheck = uintptr_t{1} << 18;
constexpr uintptr_t kIdentification = uintptr_t{1} << 21;

// A fake processor, by default one with CPUID and the serial-number feature: leaves 1 and 3
// with a distinct value in every register. Its flags register keeps the bits in fixedFlags as
// they are, whatever is written. It records the leaves asked for.
struct FakeProcessor {
  uintptr_t flags = 0x202;
  uintptr_t fixedFlags = 0;
  uint32_t leaf1[4] = {0x6b1, 0xb1, 0xc1, kSse | kSerialNumber};   // EAX, EBX, ECX, EDX
  uint32_t leaf3[4] = {0xa3, 0xb3, 0xc3, 0xd3};
  std::vector<uint32_t> leaves;
} g_processor;

uintptr_t FakeTryFlags(uintptr_t setBits, uintptr_t invertBits, uintptr_t* saved) {
  *saved = g_processor.flags;
  uintptr_t written = (g_processor.flags | setBits) ^ invertBits;
  return (written & ~g_processor.fixedFlags) | (g_processor.flags & g_processor.fixedFlags);
}

void FakeCpuid(uint32_t leaf, uint32_t registers[4]) {
  g_processor.leaves.push_back(leaf);
  memcpy(registers, leaf == 1 ? g_processor.leaf1 : g_processor.leaf3, 4 * sizeof(uint32_t));
}

const ProcessorOps kFakeProcessor = {FakeTryFlags, FakeCpuid};

TEST(SerialProbe, SignatureFromLeafOneThenEcxAndEdxOfTheSerialLeaf) {
  uint32_t words[3] = {0, 0, 0};
  ASSERT_EQ(ProbeSerialWith(&kFakeProcessor, words), 0);
  EXPECT_EQ(g_processor.leaves, (std::vector<uint32_t>{1, 1, 3}));
  EXPECT_EQ(words[0], 0x6b1u);
  EXPECT_EQ(words[1], 0xc3u);
  EXPECT_EQ(words[2], 0xd3u);
}

// The oldest processors: a 386 can't keep the alignment-check flag set, and a later one without
// CPUID can't change the identification flag, whether it was found set or clear. Each gives 1
// before any CPUID, which such a processor would fault on, and leaves the words alone.
TEST(SerialProbe, TheOldestProcessorsGiveOneWithoutCpuid) {
  struct { const char* processor; uintptr_t flags, fixedFlags; } cases[] = {
      {"alignment-check flag won't set", 0x202, kAlignmentCheck},
      {"identification flag won't toggle from clear", 0x202, kIdentification},
      {"identification flag won't toggle from set", 0x202 | kIdentification, kIdentification},
  };
  for (const auto& c : cases) {
    g_processor = FakeProcessor();
    g_processor.flags = c.flags;
    g_processor.fixedFlags = c.fixedFlags;
    uint32_t words[3] = {0xdeadbeef, 0xdeadbeef, 0xdeadbeef};
    EXPECT_EQ(ProbeSerialWith(&kFakeProcessor, words), 1) << c.processor;
    EXPECT_TRUE(g_processor.leaves.empty()) << c.processor << ": CPUID was run";
    EXPECT_EQ(std::vector<uint32_t>(words, words + 3), std::vector<uint32_t>(3, 0xdeadbeef))
        << c.processor;
  }
  g_processor = FakeProcessor();
}

// A fake platform: a process mask, a thread mask that the query may move, and a probe that
// records where it ran.
struct FakeMachine {
  bool processMaskReadable = true;
  uintptr_t processMask = 1;
  uintptr_t threadMask = 1;
  bool threadMoves = true;
  int probeResult = 0;
  uint32_t probeWords[3] = {0x6b1, 0x2, 0x3};
  std::vector<uintptr_t> setCalls;
  std::vector<uintptr_t> probedOn;   // the thread mask at each probe
};
FakeMachine* g_machine = nullptr;

bool FakeReadProcessMask(uintptr_t* mask) {
  if (!g_machine->processMaskReadable) return false;
  *mask = g_machine->processMask;
  return true;
}

uintptr_t FakeSetThreadMask(uintptr_t mask) {
  g_machine->setCalls.push_back(mask);
  if (!g_machine->threadMoves) return 0;
  uintptr_t previous = g_machine->threadMask;
  g_machine->threadMask = mask;
  return previous;
}

int FakeProbe(uint32_t words[3]) {
  g_machine->probedOn.push_back(g_machine->threadMask);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(words[i], 0u) << "the words start at zero";
  if (g_machine->probeResult == 0) memcpy(words, g_machine->probeWords, sizeof g_machine->probeWords);
  return g_machine->probeResult;
}

const SerialPlatform kFakePlatform = {FakeReadProcessMask, FakeSetThreadMask, FakeProbe};

class SerialQuery : public ::testing::Test {
 protected:
  void SetUp() override { g_machine = &machine; }
  void TearDown() override { g_machine = nullptr; }
  int Query() {
    memset(text, 'X', sizeof text);
    return QuerySerialWith(&kFakePlatform, text);
  }
  FakeMachine machine;
  char text[25];
};

TEST_F(SerialQuery, WithoutProcessorZeroOrAReadableMaskNothingIsProbed) {
  for (uintptr_t mask : {uintptr_t{0x6}, uintptr_t{0x2}, uintptr_t{0}}) {
    machine.processMask = mask;
    EXPECT_EQ(Query(), 1);
    EXPECT_STREQ(text, "");
  }
  machine.processMask = 3;
  machine.processMaskReadable = false;
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(text, "");
  EXPECT_TRUE(machine.probedOn.empty());
  EXPECT_TRUE(machine.setCalls.empty());
}

TEST_F(SerialQuery, TheThreadIsMovedToProcessorZeroAndGivenItsMaskBack) {
  machine.processMask = 0xf;
  machine.threadMask = 0xc;
  for (int result : {0, 1, 2}) {
    machine.probeResult = result;
    machine.setCalls.clear();
    machine.probedOn.clear();
    EXPECT_EQ(Query(), result == 0 ? 0 : 1);
    EXPECT_EQ(machine.probedOn, std::vector<uintptr_t>{1});
    EXPECT_EQ(machine.setCalls, (std::vector<uintptr_t>{1, 0xc}));
    EXPECT_EQ(machine.threadMask, 0xcu) << "after probe result " << result;
    EXPECT_STREQ(text, result == 0 ? "000006b10000000200000003" : "");
  }
}

TEST_F(SerialQuery, AThreadThatCantBeMovedIsProbedWhereItIs) {
  machine.processMask = 3;
  machine.threadMask = 2;
  machine.threadMoves = false;
  ASSERT_EQ(Query(), 0);
  EXPECT_EQ(machine.probedOn, std::vector<uintptr_t>{2});
  EXPECT_EQ(machine.setCalls, std::vector<uintptr_t>{1}) << "nothing to give back";
}

}  // namespace
