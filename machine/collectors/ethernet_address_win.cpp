// The Ethernet address collector: three methods in a fixed order, the first address wins.

#include "machine/collectors/ethernet_address.h"

int GetEthernetAddress(MachineAttributes* record) {
  unsigned char address[kEthernetAddressLength];
  bool found = IsNTPlatform() == 1 && GetMACFromNDIS(address, sizeof address) == 0;
  if (!found) found = GetMACFromNetBIOS(address, sizeof address) == 0;
  if (!found) {
    int result = GetMACFromSNMP(address, sizeof address);
    if (result != 0) return result;
  }
  FormatEthernetAddress(address, record->ethernetAddress, kEthernetAddressSize);
  return 0;
}
