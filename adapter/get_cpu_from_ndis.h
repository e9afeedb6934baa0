// The machine number from the permanent address of the adapter that stays in the computer.
#pragma once

#include <cstdint>

#include "adapter/adapter_table.h"
#include "adapter/default_adapter.h"

// Lists the usable network adapters, lets the user choose the one that always stays in the
// computer (offering the stored choice as the default), stores the choice and gives its machine
// number. Returns 0, or -1 with a message ending in "\n" in errorText.
int16_t GetCPUFromNDIS(char machineNumber[kMachineNumberSize], char errorText[kErrorTextSize]);

// The steps of GetCPUFromNDIS.

// The stored default adapter's service name, or the empty text, whatever the value's type;
// where record is given, also the address record beside it (the empty record when none).
void ReadStoredServiceName(char storedServiceName[kServiceNameSize],
                           AddressRecord* record = nullptr);

// Walks the registered adapters and queries their drivers: every usable adapter, wired or
// Wi-Fi, goes into usable in walk order. Prints nothing but diagnostics. Returns 0, or -1 with
// errorText.
int EnumerateAdapters(UsableAdapters* usable, char errorText[kErrorTextSize]);

// Stores the entry as the default adapter: its service name and address record, or the record
// alone, which is silent and may fail (the next run tries again). Returns 0, or -1 with
// errorText when the name's key can't be written.
int StoreDefaultAdapter(const AdapterEntry& entry, ChoiceWrite write,
                        char errorText[kErrorTextSize]);
