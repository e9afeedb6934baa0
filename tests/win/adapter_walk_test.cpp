// The adapter walk and the stored default adapter against Wine's (or Windows') real registry,
// device names and NDIS drivers. Expected addresses come from /sys/class/net, not from the
// walk itself.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "adapter/get_cpu_from_ndis.h"
#include "common/diagnostics.h"
#include "wine_test_support.h"

namespace {

struct Walk {
  int status = 0;
  std::vector<UsableAdapter> adapters;
  std::string found;   // "machine number : description" and a line feed per usable adapter
  std::string out, err, errorText;
};

Walk RunWalk(bool debug = true) {
  Walk walk;
  char errorText[kErrorTextSize] = {};
  UsableAdapters usable;
  g_debugSwitch = debug;
  {
    CapturedStreams streams;
    walk.status = EnumerateAdapters(&usable, errorText);
    streams.Stop();
    walk.out = streams.out;
    walk.err = streams.err;
  }
  g_debugSwitch = false;
  walk.adapters.assign(usable.items, usable.items + usable.count);
  for (const UsableAdapter& a : walk.adapters) {
    walk.found += std::string(a.entry.machineNumber) + " : " + a.description + "\n";
  }
  walk.errorText = errorText;
  return walk;
}

// The diagnostics of one subkey: from its "Processing subkey" line to the next one.
std::string DiagnosticsOf(const std::string& err, const std::string& subkey) {
  std::string start = "Processing subkey [" + subkey + "]";
  size_t from = err.find(start);
  if (from == std::string::npos) return "";
  size_t to = err.find("Processing subkey [", from + start.size());
  return err.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

std::string MachineNumberOf(const std::vector<unsigned char>& address) {
  char text[9];
  snprintf(text, sizeof text, "%02X%02X%02X%02X", address[2], address[3], address[4], address[5]);
  return text;
}

class AdapterWalk : public testing::Test {
 protected:
  void SetUp() override {
    auto card = FindUsableRealCard();
    if (!card) GTEST_SKIP() << "no usable network adapter with a /sys/class/net address here";
    real = *card;
  }
  NetworkCard real;
  SavedDefaultAdapter savedDefault;
};

TEST_F(AdapterWalk, FindsEveryUsableAdapterWithTheAddressLinuxReports) {
  Walk walk = RunWalk(false);
  ASSERT_EQ(walk.status, 0) << walk.errorText;
  EXPECT_EQ(walk.err, "") << "diagnostics appear only under the debug switch";
  EXPECT_EQ(walk.out, "") << "the list is printed once the walk is done";

  std::string expected;
  for (const NetworkCard& card : ReadNetworkCards()) {
    auto address = ReadLinuxInterfaceAddress(card.description);
    if (!address || ((*address)[3] | (*address)[4] | (*address)[5]) == 0) continue;
    expected += MachineNumberOf(*address) + " : " + card.description + "\n";
  }
  EXPECT_EQ(walk.found, expected);
}

TEST_F(AdapterWalk, LoopbackAndZeroTailAddressesArePassedOverWithTheirDiagnostic) {
  Walk walk = RunWalk();
  for (const NetworkCard& card : ReadNetworkCards()) {
    auto address = ReadLinuxInterfaceAddress(card.description);
    if (card.description != "lo" && !(address && ((*address)[3] | (*address)[4] |
                                                  (*address)[5]) == 0)) {
      continue;
    }
    std::string diagnostics = DiagnosticsOf(walk.err, card.subkey);
    EXPECT_NE(diagnostics, "") << card.subkey;
    // Wine's loopback answers the address query with 0 bytes; a real zero tail is refused.
    bool refused =
        diagnostics.find("DeviceIoControl(PERMANENT_ADDRESS) returned 0 bytes (expected 6).") !=
            std::string::npos ||
        diagnostics.find("Last six hex digits of MAC address were all zeroes.") !=
            std::string::npos;
    EXPECT_TRUE(refused) << diagnostics;
    EXPECT_EQ(walk.found.find(" : " + card.description + "\n"), std::string::npos);
  }
}

TEST_F(AdapterWalk, UnreadableServiceNamesArePassedOverAndTheWalkGoesOn) {
  std::string name41(41, 'S');
  ScopedCardSubkey expand("vxa1", real.serviceName, REG_EXPAND_SZ);
  ScopedCardSubkey tooLong("vxa2", name41);
  ScopedCardSubkey missing("vxa3", "", REG_SZ, false);
  ScopedCardSubkey longName("vxa4-name-of-20ch", real.serviceName);   // 16 characters or more
  ScopedCardSubkey after("vxa5", real.serviceName);
  Walk walk = RunWalk();
  ASSERT_EQ(walk.status, 0) << walk.errorText;

  const std::string prefix = "RegQueryValueEx(ServiceName) failed for HLM\\" +
                             std::string(kNetworkCards) + "\\";
  EXPECT_EQ(CountOccurrences(walk.err, prefix + "vxa1. Error 0\n"), 1) << walk.err;
  EXPECT_EQ(CountOccurrences(walk.err, prefix + "vxa2. Error 234\n"), 1) << walk.err;
  EXPECT_EQ(CountOccurrences(walk.err, prefix + "vxa3. Error 2\n"), 1) << walk.err;
  EXPECT_EQ(DiagnosticsOf(walk.err, "vxa4-name-of-20ch"), "");
  // Only the readable copy of the real service is found, beside the real adapters.
  EXPECT_EQ(CountOccurrences(walk.found, " : test card vxa5\n"), 1) << walk.found;
  EXPECT_EQ(CountOccurrences(walk.found, "test card"), 1) << walk.found;
}

TEST_F(AdapterWalk, AServiceWithoutDeviceNameGetsATemporaryOneThatIsGoneBeforeTheNextSubkey) {
  // \Device\Null exists, but "Null" is no DOS device name: the walk must define it to open it.
  // Names of 4 characters: Wine 8's DefineDosDevice overflows on longer ones (docs/wine.md).
  char target[256];
  SetLastError(0);
  ASSERT_EQ(QueryDosDeviceA("Null", target, sizeof target), 0u);
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ScopedCardSubkey first("vxb1", "Null");
  ScopedCardSubkey second("vxb2", "Null");
  ScopedCardSubkey unknown("vxb3", "VxNo");
  Walk walk = RunWalk();
  ASSERT_EQ(walk.status, 0) << walk.errorText;

  for (const char* subkey : {"vxb1", "vxb2"}) {
    std::string diagnostics = DiagnosticsOf(walk.err, subkey);
    // The device-name query found nothing (no "path" line: the first adapter's name was
    // removed before the second was examined), the definition worked and the device opened.
    EXPECT_EQ(diagnostics.find("  path "), std::string::npos) << diagnostics;
    EXPECT_NE(diagnostics.find("  Defined: \\Device\\Null\n"), std::string::npos) << diagnostics;
    EXPECT_EQ(diagnostics.find("CreateFile() failed"), std::string::npos) << diagnostics;
    EXPECT_NE(diagnostics.find("DeviceIoControl(IN_USE) failed. Error "), std::string::npos)
        << diagnostics;
  }
  EXPECT_NE(DiagnosticsOf(walk.err, "vxb3")
                .find("  Defined: \\Device\\VxNo\nCreateFile() failed for \\\\.\\VxNo. Error "),
            std::string::npos)
      << walk.err;
  // A real adapter's name exists already under Wine: nothing is defined for it.
  EXPECT_EQ(DiagnosticsOf(walk.err, real.subkey).find("  Defined: "), std::string::npos)
      << walk.err;

  SetLastError(0);
  EXPECT_EQ(QueryDosDeviceA("Null", target, sizeof target), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(QueryDosDeviceA("VxNo", target, sizeof target), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// The stored choice needs no Linux oracle: an adapter that the walk lists is enough, so these
// tests also run on a Windows host.
class StoredChoice : public testing::Test {
 protected:
  void SetUp() override {
    Walk walk = RunWalk(false);
    if (walk.adapters.empty()) GTEST_SKIP() << "no usable network adapter here";
    listed = walk.adapters[0].entry.serviceName;
  }
  std::string listed;
  SavedDefaultAdapter savedDefault;
};

TEST_F(StoredChoice, AStoredDefaultWithoutNulIsRecognisedWhateverItsType) {
  char stored[kServiceNameSize];
  // Stored as the program stores it: the characters without their NUL.
  WriteStoredDefault(listed.data(), static_cast<DWORD>(listed.size()), REG_SZ);
  g_debugSwitch = true;
  {
    CapturedStreams streams;
    ReadStoredServiceName(stored);
    streams.Stop();
    EXPECT_EQ(streams.err, "Registry checked for default card - \"" + listed + "\"\n");
  }
  g_debugSwitch = false;
  EXPECT_EQ(std::string(stored), listed);

  // Read without asking for its type, as earlier releases read it.
  for (DWORD type : {REG_EXPAND_SZ, REG_BINARY}) {
    WriteStoredDefault(listed.data(), static_cast<DWORD>(listed.size()), type);
    memset(stored, 'X', sizeof stored);
    ReadStoredServiceName(stored);
    EXPECT_EQ(std::string(stored), listed) << "type " << type;
  }

  std::string name41(41, 'Q');
  WriteStoredDefault(name41.data(), static_cast<DWORD>(name41.size()), REG_SZ);
  memset(stored, 'X', sizeof stored);
  ReadStoredServiceName(stored);
  EXPECT_STREQ(stored, "");

  ClearStoredDefault();
  memset(stored, 'X', sizeof stored);
  ReadStoredServiceName(stored);
  EXPECT_STREQ(stored, "");
}

struct FullRun {
  int status = 0;
  std::string machineNumber, errorText, out, err;
};

FullRun RunGetCPUFromNDIS() {
  FullRun run;
  char machineNumber[kMachineNumberSize] = {};
  char errorText[kErrorTextSize] = {};
  g_debugSwitch = true;
  CapturedStreams streams;
  run.status = GetCPUFromNDIS(machineNumber, errorText);
  streams.Stop();
  g_debugSwitch = false;
  run.out = streams.out;
  run.err = streams.err;
  run.machineNumber = machineNumber;
  run.errorText = errorText;
  return run;
}

TEST_F(StoredChoice, TheChoiceIsStoredAndTheNextRunWritesNothing) {
  ClearStoredDefault();
  ScopedCardSubkey copy("vxe1", listed);   // at least two entries: the prompt runs

  FullRun first = RunGetCPUFromNDIS();
  ASSERT_EQ(first.status, 0) << first.errorText;
  // No console input: the prompt takes the default as Enter would, and ends its line.
  EXPECT_NE(first.out.find("\nSelect a card which will always be in your computer [1] \n"),
            std::string::npos)
      << first.out;
  char stored[kServiceNameSize];
  ReadStoredServiceName(stored);
  Walk walk = RunWalk(false);
  ASSERT_GE(walk.adapters.size(), 2u);
  EXPECT_STREQ(stored, walk.adapters[0].entry.serviceName);
  EXPECT_EQ(first.machineNumber, walk.adapters[0].entry.machineNumber);
  EXPECT_EQ(first.err.find("Registry is already correct"), std::string::npos);

  FullRun second = RunGetCPUFromNDIS();
  ASSERT_EQ(second.status, 0) << second.errorText;
  EXPECT_EQ(second.machineNumber, first.machineNumber);
  EXPECT_EQ(CountOccurrences(second.err, "Registry is already correct\n"), 1) << second.err;
}

TEST_F(StoredChoice, AKeyThatCannotBeWrittenAsksForAnAdministrator) {
  if (savedDefault.HadParentKey()) {
    GTEST_SKIP() << "HKLM\\" << kOrlenk << " is there already: only a new key can be made "
                 << "unwritable here";
  }
  // A volatile parent refuses the non-volatile key the program creates (error 1021), as a
  // key without write access refuses it on Windows.
  HKEY parent;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orlenk", 0, nullptr,
                            REG_OPTION_VOLATILE, KEY_ALL_ACCESS | kDefaultAdapterView, nullptr,
                            &parent, nullptr),
            0);
  RegCloseKey(parent);
  FullRun run = RunGetCPUFromNDIS();
  EXPECT_EQ(run.status, -1);
  EXPECT_EQ(run.errorText,
            "Unable to write to registry. Please rerun vernix.exe as an administrator\n");
}

}  // namespace
