// The collection under the attribute mask, with collectors of the test's own, and the
// attribute lines of the report.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "machine/machine_attributes.h"
#include "report/report.h"

namespace {

std::vector<std::string> g_calls;
int g_hostResult, g_ethernetResult, g_serialResult;
uint32_t g_finishedWith;

int FakeHostName(MachineAttributes* record) {
  g_calls.push_back("host");
  strcpy(record->hostName, "WS12");
  return g_hostResult;
}
int FakeEthernet(MachineAttributes* record) {
  g_calls.push_back("ethernet");
  if (g_ethernetResult == 0) strcpy(record->ethernetAddress, "00-0C-29-AB-CD-EF");
  return g_ethernetResult;
}
int FakeSerial(MachineAttributes* record) {
  g_calls.push_back("serial");
  strcpy(record->processorSerial, "000006b1000000000000abcd");
  return g_serialResult;
}
void FakeFinish(MachineAttributes*, uint32_t requested) {
  g_calls.push_back("finish");
  g_finishedWith = requested;
}

const CollectorEntry kFakes[] = {
    {kHostNameBit, FakeHostName},
    {kEthernetAddressBit, FakeEthernet},
    {kProcessorSerialBit, FakeSerial},
};
const AttributeCollection kCollection = {kFakes, 3, FakeFinish};

MachineAttributes Filled(const char* host, const char* ethernet, const char* serial,
                         uint32_t custom) {
  MachineAttributes record;
  strcpy(record.hostName, host);
  strcpy(record.ethernetAddress, ethernet);
  strcpy(record.processorSerial, serial);
  record.customValue = custom;
  return record;
}

class Collection : public testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_hostResult = g_ethernetResult = g_serialResult = 0;
    g_finishedWith = 0xdeadbeef;
    record = Filled("stale host", "stale address", "stale serial", 0x1234);
  }
  MachineAttributes record;
};

TEST_F(Collection, EveryRequestedCollectorRunsInBitOrderAndOnlySuccessesAreObtained) {
  g_ethernetResult = -1;
  uint32_t mask = kReportAttributes;
  EXPECT_EQ(CollectAttributesWith(&kCollection, mask, &record, &mask), 0);
  EXPECT_EQ(mask, kHostNameBit | kProcessorSerialBit);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"host", "ethernet", "serial", "finish"}));
  EXPECT_STREQ(record.ethernetAddress, "");
  EXPECT_EQ(g_finishedWith, kReportAttributes) << "finished with the requested mask";
}

TEST_F(Collection, UnrequestedAttributesAreNeitherCollectedNorObtainedAndTheRecordIsFresh) {
  uint32_t obtained = 0xdeadbeef;
  CollectAttributesWith(&kCollection, kEthernetAddressBit | 0x4 | 0x400, &record, &obtained);
  EXPECT_EQ(obtained, kEthernetAddressBit);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"ethernet", "finish"}));
  EXPECT_STREQ(record.hostName, "");
  EXPECT_STREQ(record.processorSerial, "");
  EXPECT_EQ(record.customValue, 0u);
}

TEST_F(Collection, NothingOrOnlyTheCustomValueRequestedObtainsNothing) {
  for (uint32_t requested : {0u, kCustomValueBit}) {
    g_calls.clear();
    uint32_t obtained = 0xdeadbeef;
    CollectAttributesWith(&kCollection, requested, &record, &obtained);
    EXPECT_EQ(obtained, 0u);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"finish"}));
    EXPECT_EQ(record.customValue, 0u);
    EXPECT_STREQ(record.hostName, "");
  }
}

TEST_F(Collection, WithoutARecordNothingIsCollectedAndWithoutAMaskOnlyTheRecordIsFilled) {
  uint32_t obtained = 0xdeadbeef;
  EXPECT_EQ(CollectAttributesWith(&kCollection, kReportAttributes, nullptr, &obtained), 0);
  EXPECT_EQ(obtained, 0u);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(ClearMachineAttributes(nullptr), -1);

  EXPECT_EQ(CollectAttributesWith(&kCollection, kHostNameBit, &record, nullptr), 0);
  EXPECT_STREQ(record.hostName, "WS12");
}

TEST_F(Collection, AFailedHostNameIsStillFinishedButNotObtained) {
  g_hostResult = 11004;
  uint32_t mask = kHostNameBit;
  CollectAttributesWith(&kCollection, mask, &record, &mask);
  EXPECT_EQ(mask, 0u);
  EXPECT_EQ(g_finishedWith, kHostNameBit);
}

std::string Lines(MachineAttributes record, uint32_t obtained, const char* machineNumber) {
  char report[kReportSize] = {};
  AppendAttributeLinesFor(report, sizeof report, &record, obtained, machineNumber);
  return report;
}

MachineAttributes Filled() {
  return Filled("WS12", "00-0C-29-AB-CD-EF", "000006b1000000000000abcd", 0);
}

TEST(AttributeLines, AppearAsTheirBitsWereObtained) {
  EXPECT_EQ(Lines(Filled(), kHostNameBit | kEthernetAddressBit | kProcessorSerialBit, "29ABCDEF"),
            "Host name:           \tWS12\n"
            "Ethernet Address:    \t00-0C-29-AB-CD-EF\n"
            "CPU Serial No:       \t000006b1000000000000abcd\n"
            "Custom:              \t29ABCDEF\n");
  MachineAttributes none = Filled();
  none.ethernetAddress[0] = '\0';
  EXPECT_EQ(Lines(none, 0, "29ABCDEF"),
            "Ethernet Address:    \t\n"
            "Custom:              \t29ABCDEF\n");
}

TEST(AttributeLines, CustomIsTheMachineNumberAsANumber) {
  struct { const char* number; const char* digits; } cases[] = {
      {"29ABCDEF", "29ABCDEF"}, {"00ABCDEF", "ABCDEF"}, {"0000012F", "12F"},
      {"00000001", "001"},      {"FFFFFFFF", "FFFFFFFF"},
  };
  for (const auto& c : cases) {
    std::string lines = Lines(Filled(), 0, c.number);
    EXPECT_EQ(lines.substr(lines.find("Custom:")),
              std::string("Custom:              \t") + c.digits + "\n");
  }
}

}  // namespace
