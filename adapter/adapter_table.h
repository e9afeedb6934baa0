// The machine number and the table of usable adapters, as plain values.
//
// The machine number identifies the computer: bytes 2 to 5 of the permanent hardware address
// of the adapter that the user names as the one that always stays in it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/network_cards.h"

constexpr size_t kMachineNumberSize = 9;   // 8 upper-case hex digits and the NUL
constexpr size_t kServiceNameSize = 41;    // at most 40 characters and the NUL
constexpr int kAdapterTableEntries = 37;   // every entry up to the 37th has a key character
constexpr size_t kDescriptionSize = 256;   // an adapter's description, with the NUL
constexpr size_t kAddressLength = 6;       // a permanent address

// Bytes 2 to 5 of a 6-byte permanent address, "%02X" each: 00-0C-29-AB-CD-EF gives 29ABCDEF.
void FormatMachineNumber(const unsigned char address[6], char number[kMachineNumberSize]);

// A machine number whose last six digits are all zero is never used.
bool IsUsableMachineNumber(const char* number);

struct AdapterEntry {
  char serviceName[kServiceNameSize];
  char machineNumber[kMachineNumberSize];
  unsigned char address[kAddressLength];   // the permanent address the number comes from
};

// Entries in the order the adapters were found. The slot after the last entry is the working
// slot: the adapter under examination is read into it, and AddWorkingSlot makes it an entry.
// The table keeps one slot more than it has entries, so there is a working slot even when full.
struct AdapterTable {
  AdapterEntry slots[kAdapterTableEntries + 1];
  int count;          // entries so far
  int defaultIndex;   // 1-based; the entry whose service name is the stored default adapter
};

void ClearAdapterTable(AdapterTable* table);
AdapterEntry* WorkingSlot(AdapterTable* table);
bool IsAdapterTableFull(const AdapterTable* table);

// Turns the working slot into an entry (the table must not be full). When its service name
// equals the stored one, the new entry becomes the default; a later match wins over an earlier.
// Returns the new entry's number, from 1.
int AddWorkingSlot(AdapterTable* table, const char* storedServiceName);

// Whether a default adapter is stored (the text is not empty) and no entry has its service
// name (compared exactly, as when the default index is set).
bool IsStoredAdapterAbsent(const AdapterTable* table, const char* storedServiceName);

// The character that lists entry number n (from 1): 1-9, then A-Z for 10-35, then '[' and '\\'.
char KeyCharacterForEntry(int n);

// The entry that a key from the console keyboard chooses, or 0 when the key is to be ignored.
// Enter (13 or 10) gives the default index; 1-9, A-Z and a-z give 1-35 when within the count.
int EntryForKey(int code, int count, int defaultIndex);

// The permanent-address OID for a medium: 0 and the OID for 802.3 and 802.5, -1 otherwise.
int PermanentAddressOidForMedium(uint32_t medium, uint32_t* oid);

// A Native 802.11 (Wi-Fi) adapter is asked for its permanent address with the 802.3 query,
// then with the 802.11 one, and is used only as a fallback: it is listed only when no wired
// adapter is usable (the stored adapter is always listed; see IsStoredAdapter).

// A usable fallback adapter, kept aside during the walk with what its entry and list line need.
struct FallbackAdapter {
  AdapterEntry entry;
  char description[kDescriptionSize];
};

struct FallbackAdapters {
  FallbackAdapter slots[kAdapterTableEntries];
  int count;
};

// Keeps an adapter aside, each text cut to its field; false, and nothing kept, when full.
bool KeepFallbackAdapter(FallbackAdapters* fallback, const AdapterEntry& entry,
                         const char* description);

// The stored adapter is known by its service name, and by the permanent address recorded with
// that name: a card whose driver is installed anew, or that moves to another slot, gets a new
// service name but keeps its address. The record names the service it was made for, so a name
// that a release without records stores later is never paired with an older card's address.
struct AddressRecord {
  char serviceName[kServiceNameSize];   // empty: no record
  unsigned char address[kAddressLength];
};

// The record's registry text: "00-0C-29-AB-CD-EF " and the service name.
constexpr size_t kAddressRecordTextSize = 18 + kServiceNameSize;
void FormatAddressRecord(const AdapterEntry& entry, char text[kAddressRecordTextSize]);
// 0 and the record; -1 and the empty record when the text is no record.
int ParseAddressRecord(const char* text, AddressRecord* record);
// Whether the record is of this entry: its service name and its address.
bool IsRecordOf(const AddressRecord& record, const AdapterEntry& entry);

// Whether an adapter is the stored one: it has the stored service name or, where no usable
// adapter has that name (storedNameUsable false), the address recorded for that name.
bool IsStoredAdapter(const AdapterEntry& entry, const char* storedServiceName,
                     const AddressRecord& record, bool storedNameUsable);

// The entry that is the stored adapter under a new name, or 0: no entry has the stored service
// name, the record is of that name, and exactly one entry has the recorded address.
int RenamedStoredEntry(const AdapterTable* table, const char* storedServiceName,
                       const AddressRecord& record);
