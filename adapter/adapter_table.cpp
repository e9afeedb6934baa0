#include "adapter/adapter_table.h"

#include <cstdio>
#include <cstring>

#include "common/bounded_text.h"

void FormatMachineNumber(const unsigned char address[6], char number[kMachineNumberSize]) {
  snprintf(number, kMachineNumberSize, "%02X%02X%02X%02X", address[2], address[3], address[4],
           address[5]);
}

bool IsUsableMachineNumber(const char* number) {
  return strlen(number) == 8 && strcmp(number + 2, "000000") != 0;
}

char KeyCharacterForEntry(int n) {
  if (n < 16) return "0123456789ABCDEF"[n & 0xF];
  return static_cast<char>(n + 55);
}

int EntryForKey(int code, int count, int defaultIndex) {
  if (code == 13 || code == 10) return defaultIndex;
  int n = 0;
  if (code >= '1' && code <= '9') n = code - 48;
  else if (code >= 'A' && code <= 'Z') n = code - 55;
  else if (code >= 'a' && code <= 'z') n = code - 87;
  return n <= count ? n : 0;
}

int PermanentAddressOidForMedium(uint32_t medium, uint32_t* oid) {
  switch (medium) {
    case kNdisMedium802_3: *oid = kOid802_3PermanentAddress; return 0;
    case kNdisMedium802_5: *oid = kOid802_5PermanentAddress; return 0;
    default: return -1;
  }
}

void FormatAddressRecord(const AdapterEntry& entry, char text[kAddressRecordTextSize]) {
  const unsigned char* a = entry.address;
  FormatText(text, kAddressRecordTextSize, "%02X-%02X-%02X-%02X-%02X-%02X %s", a[0], a[1], a[2],
             a[3], a[4], a[5], entry.serviceName);
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

int ParseAddressRecord(const char* text, AddressRecord* record) {
  memset(record, 0, sizeof *record);
  for (size_t i = 0; i < kAddressLength; ++i) {
    const char* byte = text + 3 * i;
    int high = HexDigit(byte[0]);
    int low = high < 0 ? -1 : HexDigit(byte[1]);
    if (low < 0 || byte[2] != (i + 1 < kAddressLength ? '-' : ' ')) return -1;
    record->address[i] = static_cast<unsigned char>(high * 16 + low);
  }
  const char* name = text + 3 * kAddressLength;
  if (name[0] == '\0' || CopyText(record->serviceName, kServiceNameSize, name) != 0) {
    memset(record, 0, sizeof *record);
    return -1;
  }
  return 0;
}

bool IsRecordOf(const AddressRecord& record, const AdapterEntry& entry) {
  return strcmp(record.serviceName, entry.serviceName) == 0 &&
         memcmp(record.address, entry.address, kAddressLength) == 0;
}
