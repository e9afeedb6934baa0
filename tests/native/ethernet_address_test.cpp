// The Ethernet address methods' acceptance tests and the address's text form.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "machine/collectors/ethernet_address.h"

namespace {

TEST(EthernetAddressText, TwoUpperCaseDigitsPerByte) {
  struct { unsigned char address[6]; const char* text; } cases[] = {
      {{0x0A, 0x00, 0x2B, 0xC4, 0x00, 0xFF}, "0A-00-2B-C4-00-FF"},
      {{0x00, 0x0c, 0x29, 0xab, 0xcd, 0xef}, "00-0C-29-AB-CD-EF"},
      {{0, 0, 0, 0, 0, 0}, "00-00-00-00-00-00"},
  };
  for (const auto& c : cases) {
    char text[64];
    memset(text, 'X', sizeof text);
    FormatEthernetAddress(c.address, text, sizeof text);
    EXPECT_STREQ(text, c.text);
  }
  char small[10];
  FormatEthernetAddress(cases[0].address, small, sizeof small);
  EXPECT_STREQ(small, "0A-00-2B-");
}

TEST(NetBIOSAddress, BytesTwoToFiveMustReach0x8000) {
  struct { unsigned char address[6]; bool accepted; } cases[] = {
      {{0x12, 0x34, 0x00, 0x7F, 0x00, 0x00}, false},   // 0x7F00
      {{0x00, 0x00, 0xFF, 0x7F, 0x00, 0x00}, false},   // 0x7FFF
      {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, false},
      {{0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00}, false},   // the first two bytes don't count
      {{0x12, 0x34, 0x00, 0x80, 0x00, 0x00}, true},    // 0x8000
      {{0x00, 0x00, 0x00, 0x00, 0x00, 0x01}, true},    // 0x1000000
      {{0x00, 0x0C, 0x29, 0xAB, 0xCD, 0xEF}, true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsAcceptedNetBIOSAddress(c.address), c.accepted);
}

TEST(SNMPRow, OnlyEthernetRowsWithARealAddress) {
  const unsigned char good[6] = {0x00, 0x0C, 0x29, 0xAB, 0xCD, 0xEF};
  const unsigned char lastOnly[6] = {0, 0, 0, 0, 0, 1};
  const unsigned char zero[6] = {};
  const unsigned char placeholder[6] = {0x44, 0x45, 0x53, 0x54, 0x00, 0x07};
  const unsigned char placeholderOther[6] = {0x44, 0x45, 0x53, 0x54, 0x00, 0x00};
  const unsigned char nearly[6] = {0x44, 0x45, 0x53, 0x54, 0x01, 0x00};
  EXPECT_TRUE(IsAcceptedSNMPRow(6, good, 6));
  EXPECT_TRUE(IsAcceptedSNMPRow(6, lastOnly, 6));
  EXPECT_TRUE(IsAcceptedSNMPRow(6, nearly, 6));
  EXPECT_TRUE(IsAcceptedSNMPRow(6, good, 8));
  EXPECT_FALSE(IsAcceptedSNMPRow(24, good, 6));   // software loopback
  EXPECT_FALSE(IsAcceptedSNMPRow(23, good, 6));   // PPP
  EXPECT_FALSE(IsAcceptedSNMPRow(6, zero, 6));
  EXPECT_FALSE(IsAcceptedSNMPRow(6, placeholder, 6));
  EXPECT_FALSE(IsAcceptedSNMPRow(6, placeholderOther, 6));
  EXPECT_FALSE(IsAcceptedSNMPRow(6, nullptr, 6));
  EXPECT_FALSE(IsAcceptedSNMPRow(6, good, 0));
}

TEST(SNMPRow, AShortAddressIsSkippedAndNeverReadPastItsLength) {
  // Five octets at the very end of an allocation: a read of a sixth would be caught by the
  // address sanitizer.
  unsigned char* five = new unsigned char[5]{0x00, 0x0C, 0x29, 0xAB, 0xCD};
  EXPECT_FALSE(IsAcceptedSNMPRow(6, five, 5));
  delete[] five;
}

TEST(SNMPRow, EachAnswerMustComeAfterThePreviousOne) {
  struct { std::vector<uint32_t> previous, row; bool advanced; } cases[] = {
      {{}, {1}, true},              // the first row of the column
      {{}, {}, false},              // the column itself: an agent that never advanced
      {{3}, {3}, false},            // the same row again
      {{3}, {2}, false},            // back
      {{3}, {4}, true},
      {{3}, {3, 0}, true},          // a longer name with the same start comes after
      {{3, 9}, {4}, true},
      {{1}, {0x80000000u}, true},   // sub-identifiers are unsigned
      {{}, std::vector<uint32_t>(kMaxSNMPRowLength + 1, 1), false},   // can't be kept
  };
  for (const auto& c : cases) {
    SNMPRow previous = {{}, c.previous.size()};
    std::copy(c.previous.begin(), c.previous.end(), previous.ids);
    EXPECT_EQ(AdvanceSNMPRow(&previous, c.row.data(), c.row.size()), c.advanced);
    const auto& now = c.advanced ? c.row : c.previous;
    EXPECT_EQ(std::vector<uint32_t>(previous.ids, previous.ids + previous.length), now);
  }
}

}  // namespace
