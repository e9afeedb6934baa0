// The system's collectors, by attribute bit, and the attribute section of the report.

#include "machine/collectors/ethernet_address.h"
#include "machine/collectors/host_name.h"
#include "machine/collectors/processor_serial.h"
#include "machine/machine_attributes.h"
#include "report/report.h"

namespace {

// In increasing order of the bit. The custom value has no collector.
const CollectorEntry kCollectors[] = {
    {kHostNameBit, GetMachineHostName},
    {kEthernetAddressBit, GetEthernetAddress},
    {kProcessorSerialBit, GetProcessorSerial},
};

const AttributeCollection kSystemCollection = {
    kCollectors, sizeof kCollectors / sizeof kCollectors[0], LocalizeHostName};

}  // namespace

int CollectMachineAttributes(uint32_t requested, MachineAttributes* record, uint32_t* obtained) {
  return CollectAttributesWith(&kSystemCollection, requested, record, obtained);
}

void AppendAttributeLines(char* report, const char* machineNumber) {
  MachineAttributes record;
  uint32_t mask = kReportAttributes;
  CollectMachineAttributes(mask, &record, &mask);   // the mask now holds the obtained ones
  AppendAttributeLinesFor(report, kReportSize, &record, mask, machineNumber);
}
