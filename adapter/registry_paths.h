// Registry keys below HKEY_LOCAL_MACHINE that the adapter walk reads and writes.
#pragma once

#include "common/network_cards.h"   // NetworkCards and its value ServiceName

// The stored default adapter: value ServiceName (kServiceNameValue), REG_SZ, written without
// its NUL.
inline constexpr char kDefaultAdapterKeyPath[] = "SOFTWARE\\Orlenk\\Quarvel";
