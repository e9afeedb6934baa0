// Machine numbers, the prompt's keys and the address record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "adapter/adapter_table.h"
#include "common/network_cards.h"

namespace {

TEST(MachineNumber, IsBytesTwoToFiveAndUnusableWhenItsTailIsZero) {
  struct { unsigned char address[6]; const char* number; bool usable; } cases[] = {
      {{0x00, 0x0C, 0x29, 0xAB, 0xCD, 0xEF}, "29ABCDEF", true},
      {{0x02, 0xfc, 0x0a, 0x0b, 0x0c, 0x0d}, "0A0B0C0D", true},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "FFFFFFFF", true},
      {{0x00, 0x00, 0x00, 0x00, 0x00, 0x01}, "00000001", true},   // only the tail is tested
      {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, "00000000", false},
      {{0x12, 0x34, 0x56, 0x00, 0x00, 0x00}, "56000000", false},  // whatever bytes 0 to 2
      {{0x00, 0x50, 0x56, 0x00, 0x00, 0x10}, "56000010", true},
  };
  for (const auto& c : cases) {
    char number[kMachineNumberSize];
    memset(number, 'X', sizeof number);
    FormatMachineNumber(c.address, number);
    EXPECT_STREQ(number, c.number);
    EXPECT_EQ(IsUsableMachineNumber(number), c.usable) << c.number;
  }
}

TEST(KeyCharacter, HexDigitsBelowSixteenThenLettersFromG) {
  const std::string expected = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\";
  for (int n = 1; n <= kAdapterTableEntries; ++n) {
    EXPECT_EQ(KeyCharacterForEntry(n), expected[n - 1]) << "entry " << n;
  }
}

TEST(KeyMap, EveryListedCharacterChoosesItsEntryInEitherCase) {
  for (int n = 1; n <= 35; ++n) {
    char key = KeyCharacterForEntry(n);
    EXPECT_EQ(EntryForKey(key, 35, 1), n) << key;
    if (key >= 'A' && key <= 'Z') {
      EXPECT_EQ(EntryForKey(key + 32, 35, 1), n) << key;
    }
  }
  // Entries 36 and 37 have no key: their characters are ignored.
  EXPECT_EQ(EntryForKey('[', 37, 1), 0);
  EXPECT_EQ(EntryForKey('\\', 37, 1), 0);
}

TEST(KeyMap, KeysOutsideTheMapAndAboveTheCountAreIgnored) {
  for (int code = 0; code < 256; ++code) {
    bool mapped = (code >= '1' && code <= '9') || (code >= 'A' && code <= 'Z') ||
                  (code >= 'a' && code <= 'z') || code == 13 || code == 10;
    if (!mapped) {
      EXPECT_EQ(EntryForKey(code, 35, 1), 0) << "code " << code;
    }
  }
  EXPECT_EQ(EntryForKey('3', 2, 1), 0);
  EXPECT_EQ(EntryForKey('2', 2, 1), 2);
  EXPECT_EQ(EntryForKey('C', 11, 1), 0);
  EXPECT_EQ(EntryForKey('b', 12, 1), 11);
  EXPECT_EQ(EntryForKey('B', 12, 1), 11);
  // The second code of an arrow key is judged like any other key: Up is 224 then 72 ('H').
  EXPECT_EQ(EntryForKey(224, 20, 1), 0);
  EXPECT_EQ(EntryForKey(72, 20, 1), 17);
  EXPECT_EQ(EntryForKey(72, 16, 1), 0);
}

TEST(KeyMap, EnterGivesTheDefaultIndex) {
  EXPECT_EQ(EntryForKey(13, 2, 1), 1);
  EXPECT_EQ(EntryForKey(10, 37, 37), 37);
  EXPECT_EQ(EntryForKey(13, 12, 12), 12);
}

AdapterEntry Entry(const char* serviceName, unsigned char lastByte) {
  AdapterEntry entry = {{}, {}, {0x00, 0x0C, 0x29, 0xAB, 0xCD, lastByte}};
  strcpy(entry.serviceName, serviceName);
  return entry;
}

AddressRecord Record(const char* text) {
  AddressRecord record;
  EXPECT_EQ(ParseAddressRecord(text, &record), 0) << text;
  return record;
}

TEST(AddressRecord, IsTheAddressAndTheServiceNameItWasMadeFor) {
  char text[kAddressRecordTextSize];
  std::string name40(40, 'N');
  FormatAddressRecord(Entry(name40.c_str(), 0xEF), text);
  EXPECT_EQ(std::string(text), "00-0C-29-AB-CD-EF " + name40);
  EXPECT_TRUE(IsRecordOf(Record("00-0c-29-ab-cd-ef {B}"), Entry("{B}", 0xEF)));
  EXPECT_FALSE(IsRecordOf(Record(text), Entry(name40.c_str(), 0xEE)));   // out of date
  std::string name41 = "00-0C-29-AB-CD-EF " + std::string(41, 'N');
  for (const char* bad : {"", "00-0C-29-AB-CD-EF ", "00:0C:29:AB:CD:EF {B}",
                          "00-0C-29-AB-CD-E {B}", name41.c_str()}) {
    AddressRecord record;
    memset(&record, 'X', sizeof record);
    EXPECT_EQ(ParseAddressRecord(bad, &record), -1) << bad;
    EXPECT_STREQ(record.serviceName, "") << bad;
  }
}

TEST(Medium, OnlyEthernetAndTokenRingHaveAPermanentAddressQuery) {
  uint32_t oid = 0;
  EXPECT_EQ(PermanentAddressOidForMedium(0, &oid), 0);
  EXPECT_EQ(oid, 0x01010101u);
  EXPECT_EQ(PermanentAddressOidForMedium(1, &oid), 0);
  EXPECT_EQ(oid, 0x02010101u);
  for (uint32_t medium : {2u, 3u, 12u, kNdisMediumNative802_11, 0xFFFFFFFFu}) {
    oid = 0xdeadbeef;
    EXPECT_EQ(PermanentAddressOidForMedium(medium, &oid), -1);
    EXPECT_EQ(oid, 0xdeadbeefu);
  }
}

}  // namespace
