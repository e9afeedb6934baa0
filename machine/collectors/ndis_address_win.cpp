// The Ethernet address from the adapters' NDIS drivers: the first NetworkCards subkey whose
// driver reports medium 802.3 and a 6-byte permanent address.

#include <windows.h>

#include <cstring>

#include "common/bounded_text.h"
#include "common/network_cards.h"
#include "common/registry_win.h"
#include "common/win_resources.h"
#include "machine/collectors/ethernet_address.h"

namespace {

constexpr DWORD kCardServiceNameSize = 260;
constexpr DWORD kNdisAnswerSize = 4096;

struct CardRecord {
  char serviceName[kCardServiceNameSize];
  unsigned char permanentAddress[kEthernetAddressLength];
};

// The enumeration index of the next subkey; each walk starts again from 0.
uint32_t g_cardIndex = 0;

// The service name of the NetworkCards subkey at the index. Returns 0; a registry error
// (ERROR_NO_MORE_ITEMS after the last subkey); or -1 for a subkey without a readable REG_SZ
// ServiceName, or one that can't be opened: no device is ever asked under a name not read
// for its subkey.
LONG ReadCardServiceName(CardRecord* card, uint32_t index) {
  char subkeyName[kSubkeyNameSize];
  {
    UniqueKey cards;
    LONG result =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetworkCardsKeyPath, 0, KEY_READ, cards.Put());
    if (result != ERROR_SUCCESS) return result;
    DWORD nameLength = kSubkeyNameSize;
    result = RegEnumKeyExA(cards.Get(), index, subkeyName, &nameLength, nullptr, nullptr,
                           nullptr, nullptr);
    if (result != ERROR_SUCCESS) return result;
  }
  UniqueKey cards;
  LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetworkCardsKeyPath, 0, KEY_READ, cards.Put());
  if (result != ERROR_SUCCESS) return result;
  UniqueKey subkey;
  if (RegOpenKeyExA(cards.Get(), subkeyName, 0, KEY_READ, subkey.Put()) != ERROR_SUCCESS) {
    return -1;
  }
  return ReadRegistryString(subkey.Get(), kServiceNameValue, card->serviceName,
                            kCardServiceNameSize, nullptr)
             ? 0
             : -1;
}

// One NDIS query of the named device. A device name that doesn't exist yet is defined for the
// query and removed after the handle is closed; a removal that fails makes the query fail.
LONG QueryNDISOid(const char* deviceName, uint32_t oid, void* answer, DWORD answerSize,
                  DWORD* returned) {
  *returned = 0;
  char target[kDevicePathSize];
  TemporaryDosDevice temporaryName;
  if (QueryDosDeviceA(deviceName, target, kDevicePathSize) == 0) {
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return static_cast<LONG>(error);
    if (FormatText(target, sizeof target, "\\Device\\%s", deviceName) != 0) {
      return ERROR_BUFFER_OVERFLOW;
    }
    if (!temporaryName.Define(deviceName, target)) return static_cast<LONG>(GetLastError());
  }

  LONG result = ERROR_SUCCESS;
  char devicePath[kDevicePathSize];
  if (FormatText(devicePath, sizeof devicePath, "\\\\.\\%s", deviceName) != 0) {
    result = ERROR_BUFFER_OVERFLOW;
  } else {
    UniqueHandle device(
        CreateFileA(devicePath, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device.IsValid()) {
      result = static_cast<LONG>(GetLastError());
    } else if (!DeviceIoControl(device.Get(), kIoctlNdisQueryGlobalStats, &oid, sizeof oid,
                                answer, answerSize, returned, nullptr)) {
      result = static_cast<LONG>(GetLastError());
    }
  }
  if (!temporaryName.Remove()) return static_cast<LONG>(GetLastError());
  return result;
}

// Medium 802.3 (the first medium of the answer) and a permanent address of exactly 6 bytes.
LONG QueryCardAddress(CardRecord* card) {
  unsigned char answer[kNdisAnswerSize];
  DWORD returned = 0;
  LONG result = QueryNDISOid(card->serviceName, kOidGenMediaInUse, answer, sizeof answer,
                             &returned);
  if (result != ERROR_SUCCESS) return result;
  uint32_t medium = 0;
  if (returned < sizeof medium) return -1;
  memcpy(&medium, answer, sizeof medium);
  if (medium != kNdisMedium802_3) return -1;

  result = QueryNDISOid(card->serviceName, kOid802_3PermanentAddress, answer, sizeof answer,
                        &returned);
  if (result != ERROR_SUCCESS) return result;
  if (returned != kEthernetAddressLength) return -1;
  memcpy(card->permanentAddress, answer, kEthernetAddressLength);
  return 0;
}

}  // namespace

int IsNTPlatform() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return GetVersion() < 0x80000000u ? 1 : 0;
#pragma GCC diagnostic pop
}

int GetMACFromNDIS(unsigned char* address, size_t size) {
  if (size < kEthernetAddressLength) return -1;
  g_cardIndex = 0;
  CardRecord card;
  for (;;) {
    LONG result = ReadCardServiceName(&card, g_cardIndex++);
    if (result != 0) return static_cast<int>(result);
    if (QueryCardAddress(&card) == 0) {
      memcpy(address, card.permanentAddress, kEthernetAddressLength);
      return 0;
    }
  }
}
