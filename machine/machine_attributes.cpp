#include "machine/machine_attributes.h"

#include <cstdlib>
#include <cstring>

#include "report/report.h"

int ClearMachineAttributes(MachineAttributes* record) {
  if (record == nullptr) return -1;
  record->hostName[0] = '\0';
  record->ethernetAddress[0] = '\0';
  record->customValue = 0;
  record->processorSerial[0] = '\0';
  return 0;
}

int CollectAttributesWith(const AttributeCollection* collection, uint32_t requested,
                          MachineAttributes* record, uint32_t* obtained) {
  if (obtained != nullptr) *obtained = 0;
  if (record == nullptr) return 0;
  ClearMachineAttributes(record);
  uint32_t result = 0;
  for (size_t i = 0; i < collection->count; ++i) {
    const CollectorEntry& entry = collection->collectors[i];
    if ((requested & entry.bit) != 0 && entry.collect(record) == 0) result |= entry.bit;
  }
  // The custom value has no collector: a request for it leaves its bit clear.
  if (obtained != nullptr) *obtained = result;
  if (collection->finish != nullptr) collection->finish(record, requested);
  return 0;
}

void AppendAttributeLinesFor(char* report, size_t size, MachineAttributes* record,
                             uint32_t obtained, const char* machineNumber) {
  record->customValue = static_cast<uint32_t>(strtoul(machineNumber, nullptr, 16));
  obtained |= kCustomValueBit;
  if (obtained & kHostNameBit) AppendReportLine(report, size, "Host name:", record->hostName);
  AppendReportLine(report, size, "Ethernet Address:", record->ethernetAddress);
  if (obtained & kProcessorSerialBit) {
    AppendReportLine(report, size, "CPU Serial No:", record->processorSerial);
  }
  AppendReportNumberLine(report, size, "Custom:", record->customValue);
}
