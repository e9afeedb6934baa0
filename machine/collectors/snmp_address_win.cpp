// The Ethernet address from the MIB-II interface table, walked through the system's SNMP
// extension agent: the first row of type ethernetCsmacd with a real physical address.

#include <winsock2.h>
#include <windows.h>
#include <snmp.h>

#include <cstring>

#include "common/system_library_win.h"
#include "common/win_resources.h"
#include "machine/collectors/ethernet_address.h"
#include "machine/collectors/socket_binding.h"

namespace {

using InitFunction = BOOL(SNMP_FUNC_TYPE*)(DWORD, HANDLE*, AsnObjectIdentifier*);
using QueryFunction = BOOL(SNMP_FUNC_TYPE*)(BYTE, SnmpVarBindList*, AsnInteger32*, AsnInteger32*);
using OidCopyFunction = SNMPAPI(SNMP_FUNC_TYPE*)(AsnObjectIdentifier*, AsnObjectIdentifier*);
using OidCompareFunction = SNMPAPI(SNMP_FUNC_TYPE*)(AsnObjectIdentifier*, AsnObjectIdentifier*,
                                                    UINT);
using VarBindFreeFunction = VOID(SNMP_FUNC_TYPE*)(SnmpVarBind*);

constexpr UINT kColumnLength = 10;

struct Agent {
  InitFunction init;
  QueryFunction query;
  OidCopyFunction copy;
  OidCompareFunction compare;
  VarBindFreeFunction release;
};

// Walks the ifType and ifPhysAddress columns row by row. The bindings' names start as copies
// of the two columns; the agent replaces names and values on every query. The walk ends at the
// end of the ifType column, or fails when the agent goes no further or on for ever.
int WalkInterfaceTable(const Agent& agent, SnmpVarBind bindings[2], unsigned char* address) {
  UINT typeColumnIds[kColumnLength] = {1, 3, 6, 1, 2, 1, 2, 2, 1, 3};
  UINT addressColumnIds[kColumnLength] = {1, 3, 6, 1, 2, 1, 2, 2, 1, 6};
  AsnObjectIdentifier typeColumn = {kColumnLength, typeColumnIds};
  AsnObjectIdentifier addressColumn = {kColumnLength, addressColumnIds};
  agent.copy(&bindings[0].name, &typeColumn);
  agent.copy(&bindings[1].name, &addressColumn);

  SnmpVarBindList list = {bindings, 2};
  SNMPRow previous = {{}, 0};
  for (int rows = 0; rows < kMaxSNMPRows; ++rows) {
    AsnInteger32 errorStatus = 0;
    AsnInteger32 errorIndex = 0;
    if (!agent.query(SNMP_PDU_GETNEXT, &list, &errorStatus, &errorIndex)) return -1;
    const AsnObjectIdentifier& name = bindings[0].name;
    if (name.idLength < kColumnLength ||
        agent.compare(&bindings[0].name, &typeColumn, kColumnLength) != 0) {
      return -1;
    }
    if (!AdvanceSNMPRow(&previous, name.ids + kColumnLength, name.idLength - kColumnLength)) {
      return -1;
    }
    // The values are read only as the types the agent says they have.
    const AsnAny& type = bindings[0].value;
    if (type.asnType != ASN_INTEGER32 || type.asnValue.number != kEthernetCsmacd) continue;
    if (agent.compare(&bindings[1].name, &addressColumn, kColumnLength) != 0) return -1;
    if (bindings[1].value.asnType != ASN_OCTETSTRING) continue;
    const AsnOctetString& physical = bindings[1].value.asnValue.string;
    if (!IsAcceptedSNMPRow(type.asnValue.number, physical.stream, physical.length)) continue;
    memcpy(address, physical.stream, kEthernetAddressLength);
    return 0;
  }
  return -1;
}

}  // namespace

int GetMACFromSNMP(unsigned char* address, size_t) {
  WSADATA startupData;
  if (SocketStartup(MAKEWORD(2, 0), &startupData) != 0) return -1;

  // Released in reverse order of declaration on every path: the agent, then the utilities.
  UniqueLibrary utilityLibrary;
  UniqueLibrary agentLibrary;
  agentLibrary.Reset(LoadSystemLibrary("inetmib1.dll"));
  if (agentLibrary.Get() == nullptr) return -1;
  utilityLibrary.Reset(LoadSystemLibrary("snmpapi.dll"));
  if (utilityLibrary.Get() == nullptr) return -1;

  HMODULE agentModule = agentLibrary.Get(), utilityModule = utilityLibrary.Get();
  Agent agent = {FindEntryPoint<InitFunction>(agentModule, "SnmpExtensionInit"),
                 FindEntryPoint<QueryFunction>(agentModule, "SnmpExtensionQuery"),
                 FindEntryPoint<OidCopyFunction>(utilityModule, "SnmpUtilOidCpy"),
                 FindEntryPoint<OidCompareFunction>(utilityModule, "SnmpUtilOidNCmp"),
                 FindEntryPoint<VarBindFreeFunction>(utilityModule, "SnmpUtilVarBindFree")};
  if (!agent.init || !agent.query || !agent.copy || !agent.compare || !agent.release) return -1;

  HANDLE trapEvent = nullptr;
  AsnObjectIdentifier firstView = {0, nullptr};
  agent.init(GetTickCount(), &trapEvent, &firstView);

  SnmpVarBind bindings[2] = {};
  int result = WalkInterfaceTable(agent, bindings, address);
  agent.release(&bindings[0]);
  agent.release(&bindings[1]);
  return result;
}
