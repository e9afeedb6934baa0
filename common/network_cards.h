// The installed network adapters as the registry lists them, and the NDIS query their drivers
// answer: what the adapter walk and the Ethernet address's driver walk both use.
#pragma once

#include <cstddef>
#include <cstdint>

// One subkey per installed adapter below HKEY_LOCAL_MACHINE, each with the values ServiceName
// and Description.
inline constexpr char kNetworkCardsKeyPath[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
inline constexpr char kServiceNameValue[] = "ServiceName";

constexpr uint32_t kSubkeyNameSize = 16;   // a NetworkCards subkey's name, with the NUL
constexpr size_t kDevicePathSize = 512;    // an adapter's device name or path, with the NUL

// The NDIS query control code (input one OID, output its value), the media and the
// permanent-address query of each medium.
constexpr uint32_t kIoctlNdisQueryGlobalStats = 0x00170002;
constexpr uint32_t kNdisMedium802_3 = 0;
constexpr uint32_t kNdisMedium802_5 = 1;
constexpr uint32_t kOidGenMediaInUse = 0x00010104;
constexpr uint32_t kOid802_3PermanentAddress = 0x01010101;
constexpr uint32_t kOid802_5PermanentAddress = 0x02010101;

// Native 802.11, the medium of Wi-Fi adapters on Windows Vista and later (see docs/wifi.md),
// and the 802.11 permanent-address query.
constexpr uint32_t kNdisMediumNative802_11 = 16;
constexpr uint32_t kOidDot11PermanentAddress = 0x0D010703;
