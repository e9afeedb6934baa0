#include "machine/collectors/ethernet_address.h"

#include <algorithm>
#include <cstring>

#include "common/bounded_text.h"
#include "text/text_utils.h"

void FormatEthernetAddress(const unsigned char address[6], char* text, size_t size) {
  text[0] = '\0';
  for (size_t i = 0; i < kEthernetAddressLength; ++i) {
    AppendText(text, size, "%02hx%s", static_cast<unsigned short>(address[i]),
               i + 1 < kEthernetAddressLength ? "-" : "");
  }
  UpperCaseLetters(text);
}

bool IsAcceptedNetBIOSAddress(const unsigned char address[6]) {
  uint32_t tail = static_cast<uint32_t>(address[2]) | static_cast<uint32_t>(address[3]) << 8 |
                  static_cast<uint32_t>(address[4]) << 16 |
                  static_cast<uint32_t>(address[5]) << 24;
  return tail >= 0x8000;
}

bool IsAcceptedSNMPRow(int32_t interfaceType, const unsigned char* octets, size_t length) {
  static const unsigned char kPlaceholder[5] = {0x44, 0x45, 0x53, 0x54, 0x00};
  if (interfaceType != kEthernetCsmacd || octets == nullptr) return false;
  // A shorter address is no Ethernet address; its octets are never read beyond its length.
  if (length < kEthernetAddressLength) return false;
  if (memcmp(octets, kPlaceholder, sizeof kPlaceholder) == 0) return false;
  for (size_t i = 0; i < kEthernetAddressLength; ++i) {
    if (octets[i] != 0) return true;
  }
  return false;
}

bool AdvanceSNMPRow(SNMPRow* previous, const uint32_t* ids, size_t length) {
  if (length > kMaxSNMPRowLength ||
      !std::lexicographical_compare(previous->ids, previous->ids + previous->length, ids,
                                    ids + length)) {
    return false;
  }
  // memcpy: std::copy here makes the program import memmove too.
  if (length != 0) memcpy(previous->ids, ids, length * sizeof ids[0]);
  previous->length = length;
  return true;
}
