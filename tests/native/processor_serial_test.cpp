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

// A fake processor: flags that keep or drop the bits written, and CPUID leaves with a distinct
// value in every register, recording the leaves asked for.
struct FakeProcessor {
  bool keepsAlignmentCheck = true;
  bool togglesIdentification = true;
  uint32_t leaf1[4] = {0x6b1, 0xb1b1b1b1, 0xc1c1c1c1, kSse | kSerialNumber};   // EAX..EDX
  uint32_t leaf3[4] = {0xa3a3a3a3, 0xb3b3b3b3, 0x0000c3c3, 0xd3d3d3d3};
  std::vector<uint32_t> leaves;
};
FakeProcessor* g_processor = nullptr;

uintptr_t FakeTryFlags(uintptr_t setBits, uintptr_t invertBits, uintptr_t* saved) {
  const uintptr_t found = 0x202;
  uintptr_t seen = (found | setBits) ^ invertBits;
  if (!g_processor->keepsAlignmentCheck) seen &= ~(uintptr_t{1} << 18);
  if (!g_processor->togglesIdentification) seen = (seen & ~(uintptr_t{1} << 21)) | (found & (uintptr_t{1} << 21));
  *saved = found;
  return seen;
}

void FakeCpuid(uint32_t leaf, uint32_t registers[4]) {
  g_processor->leaves.push_back(leaf);
  const uint32_t* answer = leaf == 1 ? g_processor->leaf1 : leaf == 3 ? g_processor->leaf3 : nullptr;
  for (int i = 0; i < 4; ++i) registers[i] = answer ? answer[i] : 0xdeadbeef;
}

const ProcessorOps kFakeOps = {FakeTryFlags, FakeCpuid};

class SerialProbe : public ::testing::Test {
 protected:
  void SetUp() override { g_processor = &processor; }
  void TearDown() override { g_processor = nullptr; }
  int Probe() { return ProbeSerialWith(&kFakeOps, words); }
  FakeProcessor processor;
  uint32_t words[3] = {0, 0, 0};
};

TEST_F(SerialProbe, SignatureFromLeafOneThenEcxAndEdxOfTheSerialLeaf) {
  ASSERT_EQ(Probe(), 0);
  EXPECT_EQ(processor.leaves, (std::vector<uint32_t>{1, 1, 3}));
  EXPECT_EQ(words[0], 0x6b1u);
  EXPECT_EQ(words[1], 0x0000c3c3u);
  EXPECT_EQ(words[2], 0xd3d3d3d3u);
  char text[25];
  FormatProcessorSerial(words, text, sizeof text);
  EXPECT_STREQ(text, "000006b10000c3c3d3d3d3d3");
}

TEST_F(SerialProbe, NoCpuidOrMissingFeaturesLeaveTheWordsUntouched) {
  processor.keepsAlignmentCheck = false;   // a 386
  EXPECT_EQ(Probe(), 1);
  processor.keepsAlignmentCheck = true;
  processor.togglesIdentification = false;   // a 486 without CPUID
  EXPECT_EQ(Probe(), 1);
  EXPECT_TRUE(processor.leaves.empty());
  processor.togglesIdentification = true;
  processor.leaf1[3] = kSerialNumber;
  EXPECT_EQ(Probe(), 1);
  processor.leaf1[3] = kSse;
  EXPECT_EQ(Probe(), 2);
  EXPECT_EQ(processor.leaves, (std::vector<uint32_t>{1, 1})) << "the serial leaf is never asked";
  EXPECT_EQ(words[0] | words[1] | words[2], 0u);
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
