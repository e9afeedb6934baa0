// The Ethernet address methods against Wine's (or Windows') real registry and drivers, checked
// against the addresses /sys/class/net reports.
#include <gtest/gtest.h>

#include <cstring>

#include "machine/collectors/ethernet_address.h"
#include "wine_test_support.h"

namespace {

// The first card in enumeration order whose interface has an address, loopback excepted
// (its driver answers the permanent-address query with no bytes).
std::optional<std::vector<unsigned char>> FirstDriverAddress() {
  for (const NetworkCard& card : ReadNetworkCards()) {
    if (card.description == "lo") continue;
    auto address = ReadLinuxInterfaceAddress(card.description);
    if (address) return address;
  }
  return std::nullopt;
}

TEST(NdisMethod, GivesTheFirstEthernetDriversPermanentAddress) {
  auto expected = FirstDriverAddress();
  if (!expected) GTEST_SKIP() << "no adapter with a /sys/class/net address here";
  unsigned char address[6] = {};
  ASSERT_EQ(GetMACFromNDIS(address, sizeof address), 0);
  EXPECT_EQ(std::vector<unsigned char>(address, address + 6), *expected);
}

TEST(NdisMethod, ACardWithoutServiceNameOrWithALongNameEndsTheWalk) {
  if (!FirstDriverAddress()) GTEST_SKIP() << "no adapter with a /sys/class/net address here";
  unsigned char address[6];
  {
    ScopedCardSubkey first("0", "", REG_SZ, false);   // enumerated before Wine's own
    memset(address, 0xde, sizeof address);
    EXPECT_EQ(GetMACFromNDIS(address, sizeof address), -1);
    for (unsigned char byte : address) EXPECT_EQ(byte, 0xde) << "the destination was touched";
  }
  {
    ScopedCardSubkey first("0-long-name-16ch", "Null");
    EXPECT_EQ(GetMACFromNDIS(address, sizeof address), ERROR_MORE_DATA);
  }
  EXPECT_EQ(GetMACFromNDIS(address, sizeof address), 0) << "the walk starts from 0 each time";
}

TEST(EthernetAddress, AFailedCollectorLeavesTheTextAlone) {
  // Without a service name the drivers aren't asked; the tests' namespace gives its adapters
  // no IPv4 address, so NetBIOS has none, and Wine's SNMP agent gives no physical address.
  if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr) {
    GTEST_SKIP() << "relies on Wine's NetBIOS and SNMP agent failing here";
  }
  unsigned char probe[6];
  if (GetMACFromNetBIOS(probe, sizeof probe) == 0) GTEST_SKIP() << "NetBIOS answers here";
  ScopedCardSubkey first("0", "", REG_SZ, false);
  MachineAttributes record;
  strcpy(record.ethernetAddress, "stale");
  EXPECT_EQ(GetEthernetAddress(&record), -1);
  EXPECT_STREQ(record.ethernetAddress, "stale");
}

TEST(EthernetAddress, TheTextIsTheDriversAddressInUpperCase) {
  auto expected = FirstDriverAddress();
  if (!expected) GTEST_SKIP() << "no adapter with a /sys/class/net address here";
  MachineAttributes record;
  ASSERT_EQ(GetEthernetAddress(&record), 0);
  char text[18];
  snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", (*expected)[0], (*expected)[1],
           (*expected)[2], (*expected)[3], (*expected)[4], (*expected)[5]);
  EXPECT_STREQ(record.ethernetAddress, text);
}

TEST(NetBIOSMethod, ADestinationShorterThanAnAddressIsRefused) {
  unsigned char address[5] = {1, 2, 3, 4, 5};
  EXPECT_EQ(GetMACFromNetBIOS(address, sizeof address), -1);
  EXPECT_EQ(address[0], 1);
}

}  // namespace
