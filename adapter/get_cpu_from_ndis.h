// The machine number from the permanent address of the adapter that stays in the computer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "adapter/adapter_table.h"

constexpr size_t kErrorTextSize = 256;

// Lists the usable network adapters, lets the user choose the one that always stays in the
// computer (offering the stored choice as the default), stores the choice and gives its machine
// number. Returns 0, or -1 with a message ending in "\n" in errorText.
int16_t GetCPUFromNDIS(char machineNumber[kMachineNumberSize], char errorText[kErrorTextSize]);

// The two stages of GetCPUFromNDIS.

// The stored default adapter's service name, or the empty text, whatever the value's type;
// where record is given, also the address record beside it (the empty record when none).
void ReadStoredServiceName(char storedServiceName[kServiceNameSize],
                           AddressRecord* record = nullptr);

// Walks the registered adapters, queries their drivers and lists every usable one on standard
// output, filling the table; a Wi-Fi adapter beside wired ones only when it is the stored one,
// by name or by recorded address. machineNumber is used as scratch. Returns 0, or -1 with
// errorText.
int EnumerateAdapters(AdapterTable* table, const char* storedServiceName,
                      const AddressRecord& record, char machineNumber[kMachineNumberSize],
                      char errorText[kErrorTextSize]);

// Chooses an entry (asking when there are several, or when the stored adapter is absent), stores
// it as the default adapter with its address record when it differs from the stored one, and
// copies its machine number. The stored adapter under a new name (RenamedStoredEntry) is the
// default, and is stored under that name. Returns 0, or -1 with errorText; also when nobody can
// answer and the stored default adapter is absent (nothing is stored).
int SelectDefaultAdapter(const AdapterTable* table, const char* storedServiceName,
                         const AddressRecord& record, char machineNumber[kMachineNumberSize],
                         char errorText[kErrorTextSize]);
