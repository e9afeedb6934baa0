// The machine attribute record, the attribute mask, the collection and the attribute lines of
// the report.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kHostNameSize = 64;
constexpr size_t kEthernetAddressSize = 64;
constexpr size_t kProcessorSerialSize = 25;

struct MachineAttributes {
  char hostName[kHostNameSize];                // UTF-8 while collected, ANSI when finished
  char ethernetAddress[kEthernetAddressSize];  // 00-1B-2C-3D-4E-5F
  uint32_t customValue;
  char processorSerial[kProcessorSerialSize];  // 24 hex digits
};

// One bit per attribute; used as the requested and as the obtained mask.
constexpr uint32_t kHostNameBit = 0x8;
constexpr uint32_t kEthernetAddressBit = 0x10;
constexpr uint32_t kCustomValueBit = 0x100;
constexpr uint32_t kProcessorSerialBit = 0x200;
constexpr uint32_t kReportAttributes =
    kHostNameBit | kEthernetAddressBit | kCustomValueBit | kProcessorSerialBit;   // 0x318

// A collector writes its own field of the record and returns 0 when it obtained the attribute.
using AttributeCollector = int (*)(MachineAttributes* record);

struct CollectorEntry {
  uint32_t bit;
  AttributeCollector collect;
};

// The collectors by bit, in increasing order of the bit, and the finishing step that runs once
// all of them have run.
struct AttributeCollection {
  const CollectorEntry* collectors;
  size_t count;
  void (*finish)(MachineAttributes* record, uint32_t requested);
};

// Empties every field. Returns 0, or -1 (nothing done) without a record.
int ClearMachineAttributes(MachineAttributes* record);

// Empties the record and runs each requested collector of the collection; the obtained mask
// (where given) gets the bit of every requested attribute whose collector returned 0. The
// finishing step then runs with the requested mask. Returns 0.
int CollectAttributesWith(const AttributeCollection* collection, uint32_t requested,
                          MachineAttributes* record, uint32_t* obtained);

// The system's collection: host name, Ethernet address, processor serial number.
int CollectMachineAttributes(uint32_t requested, MachineAttributes* record, uint32_t* obtained);

// Appends the attribute lines for a collected record: "Host name:" and "CPU Serial No:" when
// obtained, "Ethernet Address:" always (empty when not obtained), then "Custom:" with the
// machine number read as a hexadecimal number.
void AppendAttributeLinesFor(char* report, size_t size, MachineAttributes* record,
                             uint32_t obtained, const char* machineNumber);

// The attribute section of the report: collects every attribute and appends its lines.
void AppendAttributeLines(char* report, const char* machineNumber);
