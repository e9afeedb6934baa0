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

void ClearAdapterTable(AdapterTable* table) {
  memset(table, 0, sizeof *table);
  table->defaultIndex = 1;
}

AdapterEntry* WorkingSlot(AdapterTable* table) { return &table->slots[table->count]; }

bool IsAdapterTableFull(const AdapterTable* table) {
  return table->count >= kAdapterTableEntries;
}

int AddWorkingSlot(AdapterTable* table, const char* storedServiceName) {
  int number = table->count + 1;
  if (strcmp(table->slots[table->count].serviceName, storedServiceName) == 0) {
    table->defaultIndex = number;
  }
  table->count = number;
  return number;
}

bool IsStoredAdapterAbsent(const AdapterTable* table, const char* storedServiceName) {
  if (storedServiceName[0] == '\0') return false;
  for (int i = 0; i < table->count; ++i) {
    if (strcmp(table->slots[i].serviceName, storedServiceName) == 0) return false;
  }
  return true;
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

bool KeepFallbackAdapter(FallbackAdapters* fallback, const char* serviceName,
                         const char* machineNumber, const char* description) {
  if (fallback->count >= kAdapterTableEntries) return false;
  FallbackAdapter* slot = &fallback->slots[fallback->count++];
  CopyText(slot->serviceName, sizeof slot->serviceName, serviceName);
  CopyText(slot->machineNumber, sizeof slot->machineNumber, machineNumber);
  CopyText(slot->description, sizeof slot->description, description);
  return true;
}
