// The Ethernet address: one 6-byte hardware address of the machine, found by the first of
// three methods that accepts one (the adapters' NDIS drivers, NetBIOS adapter status, the SNMP
// interface table), and its text form.
#pragma once

#include <cstddef>
#include <cstdint>

#include "machine/machine_attributes.h"

constexpr size_t kEthernetAddressLength = 6;

// The collector of the Ethernet address text. Returns 0, or the last method's failure (-1);
// on failure the text is left untouched.
int GetEthernetAddress(MachineAttributes* record);

// The three methods, in the order they are tried. Each writes the 6 bytes and returns 0, or
// leaves the destination untouched and returns non-zero.
int IsNTPlatform();
int GetMACFromNDIS(unsigned char* address, size_t size);
int GetMACFromNetBIOS(unsigned char* address, size_t size);
int GetMACFromSNMP(unsigned char* address, size_t size);

// Plain logic of the methods.

// "0A-00-2B-C4-00-FF": two upper-case digits a byte, "-" between them; into 18 bytes or more.
void FormatEthernetAddress(const unsigned char address[6], char* text, size_t size);

// NetBIOS: an adapter address is taken when bytes 2 to 5, read as a little-endian number,
// reach 0x8000.
bool IsAcceptedNetBIOSAddress(const unsigned char address[6]);

// SNMP: a row of the interface table is taken when its type is 6 (ethernetCsmacd) and its
// physical address has six octets or more, is not all zero and does not begin with the five
// octets 44 45 53 54 00.
constexpr int kEthernetCsmacd = 6;
bool IsAcceptedSNMPRow(int32_t interfaceType, const unsigned char* octets, size_t length);

// SNMP: the walk relies on no agent to advance or to end. Each answer's row (the
// sub-identifiers of its name after the column's) must come after the previous answer's in
// lexicographic order, the first after the column itself (no row); and a walk that has read
// kMaxSNMPRows rows, far more than any machine has interfaces, ends there.
constexpr int kMaxSNMPRows = 4096;
// Rows of the interface table are named by one sub-identifier (the interface index).
constexpr size_t kMaxSNMPRowLength = 8;
struct SNMPRow {
  uint32_t ids[kMaxSNMPRowLength];
  size_t length;
};
// True when the row of ids comes after *previous, which it then becomes; false when it does
// not, or is too long to be kept for the next comparison.
bool AdvanceSNMPRow(SNMPRow* previous, const uint32_t* ids, size_t length);
