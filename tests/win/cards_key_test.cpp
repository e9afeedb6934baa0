// The walk when the NetworkCards key itself is missing, empty or holds no usable adapter.
// These tests take the key apart, so they run only in Wine's throwaway prefix, and they put
// every subkey back (volatile, as Wine makes them) when they end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adapter/get_cpu_from_ndis.h"
#include "wine_test_support.h"

namespace {

bool IsWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

class EmptiedNetworkCards : public testing::Test {
 protected:
  void SetUp() override {
    if (!IsWine()) GTEST_SKIP() << "takes the NetworkCards key apart: Wine prefixes only";
    saved_ = ReadNetworkCards();
    ASSERT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, kNetworkCards), 0);
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kNetworkCards, 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key_, nullptr),
              0);
  }
  void TearDown() override {
    if (key_ != nullptr) RegCloseKey(key_);
    if (!IsWine()) return;
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kNetworkCards);
    HKEY cards;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kNetworkCards, 0, nullptr, REG_OPTION_VOLATILE,
                    KEY_ALL_ACCESS, nullptr, &cards, nullptr);
    for (const NetworkCard& card : saved_) {
      HKEY subkey;
      if (RegCreateKeyExA(cards, card.subkey.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &subkey, nullptr) != 0) {
        continue;
      }
      RegSetValueExA(subkey, "ServiceName", 0, card.serviceType,
                     reinterpret_cast<const BYTE*>(card.serviceName.c_str()),
                     static_cast<DWORD>(card.serviceName.size() + 1));
      RegSetValueExA(subkey, "Description", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(card.description.c_str()),
                     static_cast<DWORD>(card.description.size() + 1));
      RegCloseKey(subkey);
    }
    RegCloseKey(cards);
    EXPECT_EQ(ReadNetworkCards().size(), saved_.size());
  }

  std::string Fail() {
    char machineNumber[kMachineNumberSize] = {};
    char errorText[kErrorTextSize] = {};
    CapturedStreams streams;
    int status = GetCPUFromNDIS(machineNumber, errorText);
    streams.Stop();
    EXPECT_EQ(status, -1);
    EXPECT_EQ(streams.out, "") << "nothing is listed";
    return errorText;
  }

  std::vector<NetworkCard> saved_;
  HKEY key_ = nullptr;
};

const std::string kCardsPath = "HKEY_LOCAL_MACHINE\\" + std::string(kNetworkCards);

TEST_F(EmptiedNetworkCards, AKeyWithoutSubkeysHasNoCards) {
  EXPECT_EQ(Fail(), "No Cards: RegEnumKeyEx() failed for key " + kCardsPath + ". Error 259\n");
}

TEST_F(EmptiedNetworkCards, AMissingKeyCannotBeOpened) {
  RegCloseKey(key_);
  key_ = nullptr;
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kNetworkCards), 0);
  EXPECT_EQ(Fail(), "RegOpenKeyEx() failed for key " + kCardsPath + ". Error 2\n");
}

TEST_F(EmptiedNetworkCards, SubkeysWithoutAUsableAdapterGiveNoValidCards) {
  ScopedCardSubkey longName("vx-name-of-16chrs", "Null");   // passed over at index 0
  ScopedCardSubkey noDriver("vx1", "Null");
  ScopedCardSubkey noDevice("vx2", "VxNo");
  EXPECT_EQ(Fail(), "No valid network cards found.\n");
}

}  // namespace
