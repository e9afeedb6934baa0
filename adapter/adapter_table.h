// The machine number, the adapter list's keys and the stored adapter's address record, as
// plain values.
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
constexpr size_t kErrorTextSize = 256;     // a failure's message, ending in a line feed

// Bytes 2 to 5 of a 6-byte permanent address, "%02X" each: 00-0C-29-AB-CD-EF gives 29ABCDEF.
void FormatMachineNumber(const unsigned char address[6], char number[kMachineNumberSize]);

// A machine number whose last six digits are all zero is never used.
bool IsUsableMachineNumber(const char* number);

struct AdapterEntry {
  char serviceName[kServiceNameSize];
  char machineNumber[kMachineNumberSize];
  unsigned char address[kAddressLength];   // the permanent address the number comes from
};

// The character that lists entry number n (from 1): 1-9, then A-Z for 10-35, then '[' and '\\'.
char KeyCharacterForEntry(int n);

// The entry that a key from the console keyboard chooses, or 0 when the key is to be ignored.
// Enter (13 or 10) gives the default index; 1-9, A-Z and a-z give 1-35 when within the count.
int EntryForKey(int code, int count, int defaultIndex);

// The permanent-address OID for a medium: 0 and the OID for 802.3 and 802.5, -1 otherwise.
int PermanentAddressOidForMedium(uint32_t medium, uint32_t* oid);

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
