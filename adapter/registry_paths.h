// Registry keys below HKEY_LOCAL_MACHINE that the adapter walk reads and writes.
#pragma once

// One subkey per installed adapter, each with the values ServiceName and Description.
inline constexpr char kNetworkCardsKeyPath[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";

// The stored default adapter: value ServiceName, REG_SZ, written without its NUL.
inline constexpr char kDefaultAdapterKeyPath[] = "SOFTWARE\\Orlenk\\Quarvel";
inline constexpr char kServiceNameValue[] = "ServiceName";
