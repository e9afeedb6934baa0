// Adapter enumeration: the adapters registered under NetworkCards, each adapter's driver asked
// for its medium and permanent address, and every usable one kept in walk order.

#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "adapter/get_cpu_from_ndis.h"
#include "common/bounded_text.h"
#include "common/diagnostics.h"
#include "common/network_cards.h"
#include "common/registry_win.h"
#include "common/win_resources.h"

namespace {

constexpr size_t kFirstTargetPathSize = 40;   // doubled before the first query

// The growable buffer for the device-name query; one for the whole enumeration.
struct TargetPathBuffer {
  char* data = nullptr;
  size_t size = 0;
  TargetPathBuffer() = default;
  TargetPathBuffer(const TargetPathBuffer&) = delete;
  TargetPathBuffer& operator=(const TargetPathBuffer&) = delete;
  ~TargetPathBuffer() { free(data); }
};

enum class Outcome { kNextAdapter, kFail };

// The walk stops when one of its buffers can't be grown; size is what was asked for.
void FormatGrowthFailure(char* errorText, size_t size) {
  FormatText(errorText, kErrorTextSize, "\nGetCPUFromNDIS - realloc failed to allocate %d bytes\n",
             size <= INT_MAX ? static_cast<int>(size) : INT_MAX);
}

// One string per line, up to the first empty one, within the count the query returned.
void DiagnoseTargetPaths(const TargetPathBuffer& target, DWORD stored) {
  if (!g_debugSwitch) return;
  WriteDiagnostic("\n");
  size_t at = 0;
  for (int number = 1; at < stored && target.data[at] != '\0'; ++number) {
    size_t length = strnlen(target.data + at, stored - at);
    WriteDiagnostic("  path %2d:%3d:0X%llX: %.*s\n", number, static_cast<int>(length),
                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(target.data + at)),
                    static_cast<int>(length), target.data + at);
    at += length + 1;
  }
}

// Asks for the device name's target paths, growing the buffer until they fit.
// Returns false, with errorText, when the buffer can't be grown; otherwise the query's result
// and error are in *stored and *error.
bool QueryDeviceName(const char* serviceName, TargetPathBuffer* target, DWORD* stored,
                     DWORD* error, char* errorText) {
  size_t size = kFirstTargetPathSize;
  *stored = 0;
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  while (GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    size *= 2;
    char* grown = size <= INT_MAX ? static_cast<char*>(realloc(target->data, size)) : nullptr;
    if (grown == nullptr) {
      FormatGrowthFailure(errorText, size);
      return false;
    }
    target->data = grown;
    target->size = size;
    target->data[0] = '\0';
    WriteDiagnostic(" %d", static_cast<int>(size));
    SetLastError(0);
    *stored = QueryDosDeviceA(serviceName, target->data, static_cast<DWORD>(size));
  }
  *error = GetLastError();
  if (*stored == 0) target->data[0] = '\0';
  target->data[target->size - 1] = '\0';
  if (*stored > target->size) *stored = static_cast<DWORD>(target->size);
  return true;
}

// Asks the open driver for one OID into the 16-byte output; the answer must be of the expected
// length. The query is named in the diagnostics by its label.
bool QueryDriver(HANDLE device, uint32_t oid, const char* label, DWORD expected,
                 unsigned char output[16]) {
  DWORD returned = 0;
  if (!DeviceIoControl(device, kIoctlNdisQueryGlobalStats, &oid, sizeof oid, output, 16,
                       &returned, nullptr)) {
    WriteDiagnostic("DeviceIoControl(%s) failed. Error %d\n", label,
                    static_cast<int>(GetLastError()));
    return false;
  }
  if (returned != expected) {
    WriteDiagnostic("DeviceIoControl(%s) returned %d bytes (expected %d).\n", label,
                    static_cast<int>(returned), static_cast<int>(expected));
    return false;
  }
  return true;
}

enum class Usable { kNo, kWired, kWifi };

// Medium, then permanent address. When the adapter is usable, wired or Wi-Fi, its permanent
// address is in address and its machine number in machineNumber.
Usable QueryPermanentAddress(HANDLE device, unsigned char address[kAddressLength],
                             char* machineNumber) {
  unsigned char output[16] = {};
  if (!QueryDriver(device, kOidGenMediaInUse, "IN_USE", 4, output)) return Usable::kNo;
  uint32_t medium = 0;
  memcpy(&medium, output, sizeof medium);
  uint32_t addressOid = 0;
  if (medium == kNdisMediumNative802_11) {
    // Which of the two queries a Wi-Fi driver answers is not settled: the 802.3 one first.
    WriteDiagnostic("Medium: 16 (Native 802.11).\n");
    if (!QueryDriver(device, kOid802_3PermanentAddress, "PERMANENT_ADDRESS", 6, output) &&
        !QueryDriver(device, kOidDot11PermanentAddress, "DOT11_PERMANENT_ADDRESS", 6, output)) {
      return Usable::kNo;
    }
  } else if (PermanentAddressOidForMedium(medium, &addressOid) != 0) {
    WriteDiagnostic("DeviceIoControl(IN_USE) was %d (Unsupported).\n", static_cast<int>(medium));
    return Usable::kNo;
  } else {
    WriteDiagnostic(medium == kNdisMedium802_3 ? "Medium: 802.3 (Ethernet).\n"
                                               : "Medium: 802.5 (Token ring).\n");
    if (!QueryDriver(device, addressOid, "PERMANENT_ADDRESS", 6, output)) return Usable::kNo;
  }
  memcpy(address, output, kAddressLength);
  FormatMachineNumber(output, machineNumber);
  if (!IsUsableMachineNumber(machineNumber)) {
    WriteDiagnostic("Last six hex digits of MAC address were all zeroes.\n");
    return Usable::kNo;
  }
  return medium == kNdisMediumNative802_11 ? Usable::kWifi : Usable::kWired;
}

// The subkey's Description value, or the empty text.
void ReadDescription(HKEY subkey, char description[kDescriptionSize]) {
  DWORD type = 0;
  if (ReadRegistryText(subkey, "Description", description, kDescriptionSize, &type) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    description[0] = '\0';
  }
}

// Examines the subkey with the given name; every failure of a single adapter passes over it.
Outcome ExamineAdapter(HKEY cards, const char* subkeyName, UsableAdapters* usable,
                       TargetPathBuffer* target, char* errorText) {
  WriteDiagnostic("\nProcessing subkey [%s]\n", subkeyName);

  UniqueKey subkey;
  LONG result = RegOpenKeyExA(cards, subkeyName, 0, KEY_READ, subkey.Put());
  if (result != ERROR_SUCCESS) {
    WriteDiagnostic("RegOpenKeyEx() failed for HKEY_LOCAL_MACHINE\\%s\\%s. Error %d\n",
                    kNetworkCardsKeyPath, subkeyName, static_cast<int>(result));
    return Outcome::kNextAdapter;
  }

  AdapterEntry entry = {};
  const char* serviceName = entry.serviceName;
  if (!ReadRegistryString(subkey.Get(), kServiceNameValue, entry.serviceName, kServiceNameSize,
                          &result)) {
    WriteDiagnostic("RegQueryValueEx(ServiceName) failed for HLM\\%s\\%s. Error %d\n",
                    kNetworkCardsKeyPath, subkeyName, static_cast<int>(result));
    return Outcome::kNextAdapter;
  }

  WriteDiagnostic("  Service: %s\n  BuffLen:", serviceName);
  DWORD stored = 0;
  DWORD error = 0;
  if (!QueryDeviceName(serviceName, target, &stored, &error, errorText)) return Outcome::kFail;
  DiagnoseTargetPaths(*target, stored);

  TemporaryDosDevice temporaryName;
  if (stored == 0) {
    if (error != ERROR_FILE_NOT_FOUND) {
      WriteDiagnostic("QueryDosDevice() failed for %s, %s. Error %d\n", serviceName, target->data,
                      static_cast<int>(error));
      return Outcome::kNextAdapter;
    }
    // The service has no device name yet: give it one that lasts while it is examined.
    FormatText(target->data, target->size, "\\Device\\%s", serviceName);
    if (!temporaryName.Define(serviceName, target->data)) {
      WriteDiagnostic("DefineDosDevice() failed for %s. Error %d\n", target->data,
                      static_cast<int>(GetLastError()));
      return Outcome::kNextAdapter;
    }
    WriteDiagnostic("  Defined: %s\n", target->data);
  }

  char devicePath[kDevicePathSize];
  FormatText(devicePath, sizeof devicePath, "\\\\.\\%s", serviceName);
  UniqueHandle device(CreateFileA(devicePath, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                  INVALID_HANDLE_VALUE));
  if (!device.IsValid()) {
    WriteDiagnostic("CreateFile() failed for %s. Error %d\n", devicePath,
                    static_cast<int>(GetLastError()));
    return Outcome::kNextAdapter;
  }
  Usable found = QueryPermanentAddress(device.Get(), entry.address, entry.machineNumber);
  if (found == Usable::kNo) return Outcome::kNextAdapter;
  char description[kDescriptionSize];
  ReadDescription(subkey.Get(), description);
  size_t size = KeepUsableAdapter(usable, entry, description, found == Usable::kWifi);
  if (size != 0) {
    FormatGrowthFailure(errorText, size);
    return Outcome::kFail;
  }
  return Outcome::kNextAdapter;
}

}  // namespace

int EnumerateAdapters(UsableAdapters* usable, char errorText[kErrorTextSize]) {
  UniqueKey cards;
  LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetworkCardsKeyPath, 0, KEY_READ, cards.Put());
  if (result != ERROR_SUCCESS) {
    FormatText(errorText, kErrorTextSize,
               "RegOpenKeyEx() failed for key HKEY_LOCAL_MACHINE\\%s. Error %d\n",
               kNetworkCardsKeyPath, static_cast<int>(result));
    return -1;
  }

  TargetPathBuffer target;
  for (DWORD index = 0;; ++index) {
    char subkeyName[kSubkeyNameSize];
    DWORD nameLength = kSubkeyNameSize;
    result = RegEnumKeyExA(cards.Get(), index, subkeyName, &nameLength, nullptr, nullptr,
                           nullptr, nullptr);
    if (result == ERROR_SUCCESS) {
      if (ExamineAdapter(cards.Get(), subkeyName, usable, &target, errorText) == Outcome::kFail) {
        return -1;
      }
      continue;
    }
    if (result == ERROR_MORE_DATA) {
      // A subkey name of 16 characters or more can't be opened by this walk.
      WriteDiagnostic("\nSubkey %lu has a name of 16 characters or more; passed over\n",
                      static_cast<unsigned long>(index));
      continue;
    }
    if (index == 0) {
      FormatText(errorText, kErrorTextSize,
                 "No Cards: RegEnumKeyEx() failed for key HKEY_LOCAL_MACHINE\\%s. Error %d\n",
                 kNetworkCardsKeyPath, static_cast<int>(result));
      return -1;
    }
    if (result == ERROR_NO_MORE_ITEMS) return 0;
    FormatText(errorText, kErrorTextSize,
               "RegEnumKeyEx() failed for key HKEY_LOCAL_MACHINE\\%s. Error %d\n",
               kNetworkCardsKeyPath, static_cast<int>(result));
    return -1;
  }
}
