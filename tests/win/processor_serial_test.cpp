// The processor serial number on the real processor and the real affinity calls, checked
// against the feature flags Linux reports in /proc/cpuinfo.
#include <gtest/gtest.h>
#include <windows.h>

#include <cpuid.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "machine/collectors/processor_serial.h"

namespace {

// The feature flags of the first processor in /proc/cpuinfo (through Wine's Z: drive), or an
// empty list where there is no such file.
std::vector<std::string> LinuxProcessorFlags() {
  std::ifstream in("Z:\\proc\\cpuinfo");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("flags", 0) != 0) continue;
    std::istringstream words(line.substr(line.find(':') + 1));
    std::vector<std::string> flags;
    for (std::string flag; words >> flag;) flags.push_back(flag);
    return flags;
  }
  return {};
}

bool HasFlag(const std::vector<std::string>& flags, const char* name) {
  for (const std::string& flag : flags) {
    if (flag == name) return true;
  }
  return false;
}

uintptr_t ReadFlagsRegister() {
  uintptr_t flags;
  asm volatile("pushf\n\tpop %0" : "=r"(flags));
  return flags;
}

// The calling thread's affinity, read by setting it to the process mask and putting it back.
uintptr_t ThreadMask() {
  DWORD_PTR process = 0, system = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) return 0;
  DWORD_PTR previous = SetThreadAffinityMask(GetCurrentThread(), process);
  if (previous != 0) SetThreadAffinityMask(GetCurrentThread(), previous);
  return previous;
}

// The real platform operations, with the thread-mask calls counted and a probe that records
// the thread's mask and processor before it runs the real one.
struct Observed {
  std::vector<uintptr_t> setCalls;
  std::vector<uintptr_t> probeThreadMasks;
  std::vector<DWORD> probeProcessors;
};
Observed* g_observed = nullptr;

uintptr_t CountedSetThreadMask(uintptr_t mask) {
  g_observed->setCalls.push_back(mask);
  return kSystemSerialPlatform.setThreadMask(mask);
}

int RecordingProbe(uint32_t words[3]) {
  g_observed->probeProcessors.push_back(GetCurrentProcessorNumber());
  g_observed->probeThreadMasks.push_back(ThreadMask());
  return kSystemSerialPlatform.probe(words);
}

const SerialPlatform kObservedPlatform = {kSystemSerialPlatform.readProcessMask,
                                          CountedSetThreadMask, RecordingProbe};

// Runs the test with the process on the given processors, and puts its affinity back after.
class SerialOnProcessors : public ::testing::Test {
 protected:
  void SetUp() override {
    DWORD_PTR system = 0;
    ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &savedProcess_, &system));
    if ((system & 3) != 3) GTEST_SKIP() << "needs two processors, has mask " << system;
    savedThread_ = ThreadMask();
    g_observed = &observed;
  }
  void TearDown() override {
    g_observed = nullptr;
    if (savedProcess_ != 0) SetProcessAffinityMask(GetCurrentProcess(), savedProcess_);
    if (savedThread_ != 0) SetThreadAffinityMask(GetCurrentThread(), savedThread_);
  }
  void RunOn(DWORD_PTR processMask) {
    ASSERT_TRUE(SetProcessAffinityMask(GetCurrentProcess(), processMask));
    DWORD_PTR process = 0, system = 0;
    ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &process, &system));
    ASSERT_EQ(process, processMask);
  }
  int Query() {
    memset(text, 'X', sizeof text);
    return QuerySerialWith(&kObservedPlatform, text);
  }

  Observed observed;
  char text[25];

 private:
  DWORD_PTR savedProcess_ = 0;
  DWORD_PTR savedThread_ = 0;
};

// What the probe must answer on this processor, from Linux's own account of its features.
int ExpectedProbeResult() {
  auto flags = LinuxProcessorFlags();
  if (!HasFlag(flags, "sse")) return 1;
  return HasFlag(flags, "pn") ? 0 : 2;
}

// The flags are checked on any host; the answer against Linux's account only where there is
// a /proc/cpuinfo to read.
TEST(SerialProbe, AnswersAsLinuxSeesTheProcessorAndLeavesTheFlagsAsFound) {
  unsigned eax, ebx, ecx, edx;
  ASSERT_TRUE(__get_cpuid(1, &eax, &ebx, &ecx, &edx));
  uint32_t words[3] = {0, 0, 0};
  uintptr_t before = ReadFlagsRegister();
  int result = ReadSerialWithCpuid(words);
  uintptr_t after = ReadFlagsRegister();
  EXPECT_EQ(result, ProbeResultForFeatures(edx));
  const uintptr_t kAlignmentCheck = 1u << 18, kIdentification = 1u << 21;
  EXPECT_EQ(after & (kAlignmentCheck | kIdentification),
            before & (kAlignmentCheck | kIdentification));
  if (result == 0) {
    EXPECT_EQ(words[0], eax) << "the signature comes first";
  }
  if (LinuxProcessorFlags().empty()) GTEST_SKIP() << "no /proc/cpuinfo to compare with here";
  EXPECT_EQ(result, ExpectedProbeResult());
}

TEST_F(SerialOnProcessors, ProcessorZeroOnlyLeavesTheThreadAlone) {
  RunOn(1);
  uintptr_t threadBefore = ThreadMask();
  int result = Query();
  EXPECT_EQ(result, ExpectedProbeResult() == 0 ? 0 : 1);
  EXPECT_TRUE(observed.setCalls.empty());
  EXPECT_EQ(observed.probeProcessors, std::vector<DWORD>{0});
  EXPECT_EQ(ThreadMask(), threadBefore);
}

TEST_F(SerialOnProcessors, WithoutProcessorZeroNothingIsProbed) {
  RunOn(2);
  EXPECT_EQ(Query(), 1);
  EXPECT_STREQ(text, "");
  EXPECT_TRUE(observed.probeProcessors.empty());
  EXPECT_TRUE(observed.setCalls.empty());
  MachineAttributes record;
  strcpy(record.processorSerial, "stale");
  EXPECT_EQ(GetProcessorSerial(&record), -1);
  EXPECT_STREQ(record.processorSerial, "");
}

TEST_F(SerialOnProcessors, TheThreadIsProbedOnProcessorZeroAndGetsItsMaskBack) {
  RunOn(3);
  ASSERT_NE(SetThreadAffinityMask(GetCurrentThread(), 2), 0u);
  ASSERT_EQ(ThreadMask(), 2u);
  int result = Query();
  EXPECT_EQ(result, ExpectedProbeResult() == 0 ? 0 : 1);
  EXPECT_EQ(observed.probeThreadMasks, std::vector<uintptr_t>{1});
  EXPECT_EQ(observed.probeProcessors, std::vector<DWORD>{0});
  EXPECT_EQ(observed.setCalls, (std::vector<uintptr_t>{1, 2}));
  EXPECT_EQ(ThreadMask(), 2u) << "the previous mask is given back";
}

TEST_F(SerialOnProcessors, TheCollectionObtainsTheSerialOnlyWhereTheProcessorHasOne) {
  RunOn(3);
  ASSERT_NE(SetThreadAffinityMask(GetCurrentThread(), 3), 0u);
  MachineAttributes record;
  uint32_t obtained = 0;
  ASSERT_EQ(CollectMachineAttributes(kProcessorSerialBit, &record, &obtained), 0);
  if (ExpectedProbeResult() == 0) {
    EXPECT_EQ(obtained, kProcessorSerialBit);
    EXPECT_EQ(strlen(record.processorSerial), 24u);
  } else {
    EXPECT_EQ(obtained, 0u) << "this processor reports no serial number";
    EXPECT_STREQ(record.processorSerial, "");
  }
  EXPECT_EQ(ThreadMask(), 3u);
}

}  // namespace
