// The adapter walk and the stored default adapter against Wine's (or Windows') real registry,
// device names and NDIS drivers. Expected addresses come from /sys/class/net, not from the
// walk itself.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "adapter/get_cpu_from_ndis.h"
#include "common/diagnostics.h"
#include "wine_test_support.h"

namespace {

struct Walk {
  int status = 0;
  AdapterTable table{};
  std::string out, err, errorText;
};

Walk RunWalk(const char* stored, bool debug = true) {
  Walk walk;
  ClearAdapterTable(&walk.table);
  char machineNumber[kMachineNumberSize] = {};
  char errorText[kErrorTextSize] = {};
  g_debugSwitch = debug;
  {
    CapturedStreams streams;
    walk.status = EnumerateAdapters(&walk.table, stored, AddressRecord{}, machineNumber,
                                    errorText);
    streams.Stop();
    walk.out = streams.out;
    walk.err = streams.err;
  }
  g_debugSwitch = false;
  walk.errorText = errorText;
  return walk;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
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

TEST_F(AdapterWalk, ListsEveryUsableAdapterWithTheAddressLinuxReports) {
  Walk walk = RunWalk("", false);
  ASSERT_EQ(walk.status, 0) << walk.errorText;
  EXPECT_EQ(walk.err, "") << "diagnostics appear only under the debug switch";

  std::vector<std::string> expected;
  for (const NetworkCard& card : ReadNetworkCards()) {
    auto address = ReadLinuxInterfaceAddress(card.description);
    if (!address || ((*address)[3] | (*address)[4] | (*address)[5]) == 0) continue;
    int number = static_cast<int>(expected.size()) + 1;
    expected.push_back(std::string(1, KeyCharacterForEntry(number)) + " : " +
                       MachineNumberOf(*address) + " : " + card.description);
  }
  EXPECT_EQ(Lines(walk.out), expected);
  EXPECT_EQ(walk.table.count, static_cast<int>(expected.size()));
  EXPECT_EQ(walk.table.defaultIndex, 1);
}

TEST_F(AdapterWalk, LoopbackAndZeroTailAddressesArePassedOverWithTheirDiagnostic) {
  Walk walk = RunWalk("");
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
    EXPECT_EQ(walk.out.find(" : " + card.description + "\n"), std::string::npos);
  }
}

TEST_F(AdapterWalk, UnreadableServiceNamesArePassedOverAndTheWalkGoesOn) {
  std::string name41(41, 'S');
  ScopedCardSubkey expand("vxa1", real.serviceName, REG_EXPAND_SZ);
  ScopedCardSubkey tooLong("vxa2", name41);
  ScopedCardSubkey missing("vxa3", "", REG_SZ, false);
  ScopedCardSubkey longName("vxa4-name-of-20ch", real.serviceName);   // 16 characters or more
  ScopedCardSubkey after("vxa5", real.serviceName);
  Walk walk = RunWalk("");
  ASSERT_EQ(walk.status, 0) << walk.errorText;

  const std::string prefix = "RegQueryValueEx(ServiceName) failed for HLM\\" +
                             std::string(kNetworkCards) + "\\";
  EXPECT_EQ(CountOccurrences(walk.err, prefix + "vxa1. Error 0\n"), 1) << walk.err;
  EXPECT_EQ(CountOccurrences(walk.err, prefix + "vxa2. Error 234\n"), 1) << walk.err;
  EXPECT_EQ(CountOccurrences(walk.err, prefix + "vxa3. Error 2\n"), 1) << walk.err;
  EXPECT_EQ(DiagnosticsOf(walk.err, "vxa4-name-of-20ch"), "");
  // Only the readable copy of the real service is listed, beside the real adapters.
  EXPECT_EQ(CountOccurrences(walk.out, " : test card vxa5\n"), 1) << walk.out;
  EXPECT_EQ(CountOccurrences(walk.out, "test card"), 1) << walk.out;
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
  Walk walk = RunWalk("");
  ASSERT_EQ(walk.status, 0) << walk.errorText;

  for (const char* subkey : {"vxb1", "vxb2"}) {
    std::string diagnostics = DiagnosticsOf(walk.err, subkey);
    // The device-name query found nothing (no "path" line: the first adapter's name was
    // removed before the second was examined), the definition worked and the device opened.
    EXPECT_EQ(diagnostics.find("  path "), std::string::npos) << diagnostics;
    EXPECT_EQ(diagnostics.find("DefineDosDevice() failed"), std::string::npos) << diagnostics;
    EXPECT_EQ(diagnostics.find("CreateFile() failed"), std::string::npos) << diagnostics;
    EXPECT_NE(diagnostics.find("DeviceIoControl(IN_USE) failed. Error "), std::string::npos)
        << diagnostics;
  }
  EXPECT_NE(DiagnosticsOf(walk.err, "vxb3")
                .find("CreateFile() failed for \\\\.\\VxNo. Error "),
            std::string::npos)
      << walk.err;

  SetLastError(0);
  EXPECT_EQ(QueryDosDeviceA("Null", target, sizeof target), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(QueryDosDeviceA("VxNo", target, sizeof target), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(AdapterWalk, TheStoredServiceNameIsTheDefaultAndTheLaterMatchWins) {
  ScopedCardSubkey copy1("vxc1", real.serviceName);
  ScopedCardSubkey copy2("vxc2", real.serviceName);
  Walk walk = RunWalk(real.serviceName.c_str());
  ASSERT_EQ(walk.status, 0) << walk.errorText;
  int last = 0;
  for (int n = 1; n <= walk.table.count; ++n) {
    if (real.serviceName == walk.table.slots[n - 1].serviceName) last = n;
  }
  ASSERT_GE(last, 3);
  EXPECT_EQ(walk.table.defaultIndex, last);
}

TEST_F(AdapterWalk, KeyCharactersGoOnWithLettersAndTheTableIsNeverOverrun) {
  std::vector<std::unique_ptr<ScopedCardSubkey>> copies;
  for (int i = 0; i < 40; ++i) {
    char name[16];
    snprintf(name, sizeof name, "vxd%02d", i);
    copies.push_back(std::make_unique<ScopedCardSubkey>(name, real.serviceName));
  }
  Walk walk = RunWalk("");
  ASSERT_EQ(walk.status, 0) << walk.errorText;
  EXPECT_EQ(walk.table.count, kAdapterTableEntries);
  std::vector<std::string> lines = Lines(walk.out);
  ASSERT_EQ(lines.size(), static_cast<size_t>(kAdapterTableEntries));
  const std::string keys = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\";
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i][0], keys[i]) << lines[i];
  EXPECT_GE(CountOccurrences(walk.err, "Adapter table is full (37 entries): "), 3);
}

// The stored choice needs no Linux oracle: an adapter that the walk lists is enough, so these
// tests also run on a Windows host.
class StoredChoice : public testing::Test {
 protected:
  void SetUp() override {
    Walk walk = RunWalk("", false);
    if (walk.table.count == 0) GTEST_SKIP() << "no usable network adapter here";
    listed = walk.table.slots[0].serviceName;
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

  DeleteDefaultAdapterKeys();
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
  DeleteDefaultAdapterKeys();
  ScopedCardSubkey copy("vxe1", listed);   // at least two entries: the prompt runs

  FullRun first = RunGetCPUFromNDIS();
  ASSERT_EQ(first.status, 0) << first.errorText;
  // No console input: the prompt takes the default as Enter would, and ends its line.
  EXPECT_NE(first.out.find("\nSelect a card which will always be in your computer [1] \n"),
            std::string::npos)
      << first.out;
  char stored[kServiceNameSize];
  ReadStoredServiceName(stored);
  Walk walk = RunWalk("", false);
  ASSERT_GE(walk.table.count, 2);
  EXPECT_STREQ(stored, walk.table.slots[0].serviceName);
  EXPECT_EQ(first.machineNumber, walk.table.slots[0].machineNumber);
  EXPECT_EQ(first.err.find("Registry is already correct"), std::string::npos);

  FullRun second = RunGetCPUFromNDIS();
  ASSERT_EQ(second.status, 0) << second.errorText;
  EXPECT_EQ(second.machineNumber, first.machineNumber);
  EXPECT_EQ(CountOccurrences(second.err, "Registry is already correct\n"), 1) << second.err;
}

TEST_F(StoredChoice, AKeyThatCannotBeWrittenAsksForAnAdministrator) {
  DeleteDefaultAdapterKeys();
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
