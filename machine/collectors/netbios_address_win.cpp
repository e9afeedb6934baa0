// The Ethernet address from NetBIOS adapter status, LANA 0 to 14.

#include <windows.h>
#include <nb30.h>

#include <cstddef>
#include <cstring>

#include "common/system_library_win.h"
#include "common/win_resources.h"
#include "machine/collectors/ethernet_address.h"

namespace {

constexpr int kLanaCount = 15;
constexpr WORD kStatusBufferSize = 600;   // ADAPTER_STATUS and room for 30 names

using NetbiosFunction = UCHAR(APIENTRY*)(PNCB);

bool Run(NetbiosFunction netbios, NCB* block) { return netbios(block) == NRC_GOODRET; }

}  // namespace

int GetMACFromNetBIOS(unsigned char* address, size_t size) {
  if (size < kEthernetAddressLength) return -1;
  UniqueLibrary library(LoadSystemLibrary("netapi32.dll"));
  if (library.Get() == nullptr) return -1;
  auto netbios = FindEntryPoint<NetbiosFunction>(library.Get(), "Netbios");
  if (netbios == nullptr) return -1;

  for (int lana = 0; lana < kLanaCount; ++lana) {
    NCB block;
    memset(&block, 0, sizeof block);
    block.ncb_command = NCBRESET;
    block.ncb_lana_num = static_cast<UCHAR>(lana);
    if (!Run(netbios, &block)) continue;

    unsigned char status[kStatusBufferSize] = {};
    memset(&block, 0, sizeof block);
    block.ncb_command = NCBASTAT;
    block.ncb_lana_num = static_cast<UCHAR>(lana);
    memcpy(block.ncb_callname, "*               ", NCBNAMSZ);
    block.ncb_callname[NCBNAMSZ - 1] = 0;
    block.ncb_buffer = status;
    block.ncb_length = kStatusBufferSize;
    if (!Run(netbios, &block) || block.ncb_retcode != NRC_GOODRET) continue;

    const unsigned char* adapterAddress = status + offsetof(ADAPTER_STATUS, adapter_address);
    if (!IsAcceptedNetBIOSAddress(adapterAddress)) continue;
    memcpy(address, adapterAddress, kEthernetAddressLength);
    return 0;
  }
  return -1;
}
