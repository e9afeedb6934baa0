// A stand-in SNMP extension agent, built as inetmib1.dll: put in a Wine prefix's system
// directory and preferred to Wine's own (WINEDLLOVERRIDES=inetmib1=n), it answers vernix.exe's
// walk of the interface table as no agent here does. The environment variable VXAGENT says how
// it answers GETNEXT in the columns of ifEntry (1.3.6.1.2.1.2.2.1):
//   table     (or unset) row 1 of type 6 with the address 02-00-5E-AA-BB-01, then the next column
//   stuck     success with an error status, the bindings left as they were
//   endless   rows 1, 2, 3, ... for ever, each of type 6 with an all-zero address
//   integers  rows 1 to 3 of type 6 whose addresses are integers, then the next column
// What it hands back is allocated with SnmpUtilMemAlloc and what it replaces released with
// SnmpUtilVarBindFree, as the caller releases its bindings.
#include <windows.h>
#include <snmp.h>

#include <cstring>

namespace {

UINT g_entry[] = {1, 3, 6, 1, 2, 1, 2, 2, 1};   // then the column and the row
constexpr UINT kEntryLength = sizeof g_entry / sizeof g_entry[0];
constexpr UINT kTypeColumn = 3;
constexpr UINT kAddressColumn = 6;
char g_mode[16];

bool Is(const char* mode) { return strcmp(g_mode, mode) == 0; }

// The next row of the binding's column; past the last row, the first of the next column.
bool AnswerNext(SnmpVarBind* binding) {
  const AsnObjectIdentifier name = binding->name;
  if (name.idLength <= kEntryLength || memcmp(name.ids, g_entry, sizeof g_entry) != 0) {
    return false;
  }
  UINT column = name.ids[kEntryLength];
  UINT row = name.idLength > kEntryLength + 1 ? name.ids[kEntryLength + 1] + 1 : 1;
  if (row > (Is("endless") ? 0xFFFFFFFF : Is("integers") ? 3 : 1)) {
    ++column;
    row = 1;
  }
  UINT* ids = static_cast<UINT*>(SnmpUtilMemAlloc(sizeof g_entry + 2 * sizeof(UINT)));
  BYTE* octets = static_cast<BYTE*>(SnmpUtilMemAlloc(6));
  if (ids == nullptr || octets == nullptr) {
    SnmpUtilMemFree(ids);
    SnmpUtilMemFree(octets);
    return false;
  }
  memcpy(ids, g_entry, sizeof g_entry);
  ids[kEntryLength] = column;
  ids[kEntryLength + 1] = row;
  SnmpUtilVarBindFree(binding);
  binding->name = {kEntryLength + 2, ids};

  AsnAny& value = binding->value;
  if (column == kAddressColumn && !Is("integers")) {
    static const BYTE kTableAddress[6] = {0x02, 0x00, 0x5E, 0xAA, 0xBB, 0x01};
    memset(octets, 0, 6);
    if (Is("table")) memcpy(octets, kTableAddress, 6);
    value.asnType = ASN_OCTETSTRING;
    value.asnValue.string = {octets, 6, TRUE};
    return true;
  }
  SnmpUtilMemFree(octets);
  // Nothing obliges an agent to clear the rest of an integer's value: read as an octet
  // string, this one points nowhere.
  memset(&value.asnValue, 0xA5, sizeof value.asnValue);
  value.asnType = ASN_INTEGER;
  value.asnValue.number = column == kAddressColumn ? static_cast<AsnInteger32>(row)
                                                   : column == kTypeColumn ? 6 : 0;
  return true;
}

}  // namespace

extern "C" __declspec(dllexport) BOOL SNMP_FUNC_TYPE
SnmpExtensionInit(DWORD, HANDLE* trapEvent, AsnObjectIdentifier* firstView) {
  DWORD length = GetEnvironmentVariableA("VXAGENT", g_mode, sizeof g_mode);
  if (length == 0 || length >= sizeof g_mode) strcpy(g_mode, "table");
  *trapEvent = nullptr;
  *firstView = {kEntryLength, g_entry};
  return TRUE;
}

extern "C" __declspec(dllexport) BOOL SNMP_FUNC_TYPE
SnmpExtensionQuery(BYTE type, SnmpVarBindList* list, AsnInteger32* errorStatus,
                   AsnInteger32* errorIndex) {
  *errorStatus = SNMP_ERRORSTATUS_NOERROR;
  *errorIndex = 0;
  for (UINT i = 0; i < list->len; ++i) {
    if (type != SNMP_PDU_GETNEXT || Is("stuck") || !AnswerNext(&list->list[i])) {
      *errorStatus = SNMP_ERRORSTATUS_NOSUCHNAME;
      *errorIndex = static_cast<AsnInteger32>(i + 1);
      break;
    }
  }
  return TRUE;
}
