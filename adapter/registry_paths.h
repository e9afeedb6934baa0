// Registry keys below HKEY_LOCAL_MACHINE that the adapter walk reads and writes.
#pragma once

#include "common/network_cards.h"   // NetworkCards and its value ServiceName

// The stored default adapter: value ServiceName (kServiceNameValue), REG_SZ, written without
// its NUL.
inline constexpr char kDefaultAdapterKeyPath[] = "SOFTWARE\\Orlenk\\Quarvel";
// Beside it, REG_SZ: the permanent address of the adapter stored, with the service name it was
// recorded for (FormatAddressRecord). Releases that keep no record leave it alone.
inline constexpr char kAddressRecordValue[] = "PermanentAddress";
