/* A stand-in network adapter driver for the acceptance suite (a test tool, never shipped).
 *
 * It makes the device \Device\NAME and the link \DosDevices\NAME, NAME being its service's
 * name, and answers IOCTL_NDIS_QUERY_GLOBAL_STATS as the REG_BINARY value "Answer" of its
 * service key says: bytes 0-3 the medium (OID_GEN_MEDIA_IN_USE, 4 bytes), bytes 4-7 the one OID
 * it answers with the address, bytes 8 on the address (0 to 8 bytes). Other OIDs fail. */
#include <ddk/wdm.h>
#include <ntddndis.h>

static UCHAR answer[16];
static ULONG answerLength;

static NTSTATUS Complete(IRP *irp, NTSTATUS status, ULONG length) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = length;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

static NTSTATUS Open(DEVICE_OBJECT *device, IRP *irp) {
  (void)device;
  return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS Query(DEVICE_OBJECT *device, IRP *irp) {
  IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
  ULONG oid, length, i;
  const UCHAR *data = answer + 8;
  UCHAR *out;
  (void)device;
  if (stack->Parameters.DeviceIoControl.IoControlCode != IOCTL_NDIS_QUERY_GLOBAL_STATS ||
      stack->Parameters.DeviceIoControl.InputBufferLength != sizeof oid)
    return Complete(irp, STATUS_INVALID_PARAMETER, 0);
  oid = *(ULONG *)irp->AssociatedIrp.SystemBuffer;
  length = answerLength - 8;
  if (oid == OID_GEN_MEDIA_IN_USE) {
    data = answer;
    length = 4;
  } else if (oid != *(ULONG *)(answer + 4)) {
    return Complete(irp, STATUS_NOT_SUPPORTED, 0);
  }
  out = MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority);
  if (out == NULL || stack->Parameters.DeviceIoControl.OutputBufferLength < length)
    return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
  for (i = 0; i < length; ++i) out[i] = data[i];
  return Complete(irp, STATUS_SUCCESS, length);
}

static NTSTATUS ReadAnswer(UNICODE_STRING *registryPath) {
  OBJECT_ATTRIBUTES attributes;
  UNICODE_STRING name;
  HANDLE key;
  ULONG size, i;
  UCHAR buffer[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + sizeof answer];
  KEY_VALUE_PARTIAL_INFORMATION *value = (KEY_VALUE_PARTIAL_INFORMATION *)buffer;
  NTSTATUS status;

  InitializeObjectAttributes(&attributes, registryPath, OBJ_CASE_INSENSITIVE, NULL, NULL);
  status = ZwOpenKey(&key, KEY_READ, &attributes);
  if (!NT_SUCCESS(status)) return status;
  RtlInitUnicodeString(&name, L"Answer");
  status = ZwQueryValueKey(key, &name, KeyValuePartialInformation, buffer, sizeof buffer, &size);
  ZwClose(key);
  if (!NT_SUCCESS(status)) return status;
  if (value->Type != REG_BINARY || value->DataLength < 8) return STATUS_INVALID_PARAMETER;
  answerLength = value->DataLength;
  for (i = 0; i < answerLength; ++i) answer[i] = value->Data[i];
  return STATUS_SUCCESS;
}

NTSTATUS DriverEntry(DRIVER_OBJECT *driver, UNICODE_STRING *registryPath) {
  static WCHAR deviceText[80], linkText[80];
  UNICODE_STRING service = *registryPath, device, link;
  DEVICE_OBJECT *object;
  NTSTATUS status = ReadAnswer(registryPath);
  USHORT at = registryPath->Length / sizeof(WCHAR);

  if (!NT_SUCCESS(status)) return status;
  while (at > 0 && registryPath->Buffer[at - 1] != L'\\') --at;
  service.Buffer += at;
  service.Length -= at * sizeof(WCHAR);
  RtlInitEmptyUnicodeString(&device, deviceText, sizeof deviceText);
  RtlInitEmptyUnicodeString(&link, linkText, sizeof linkText);
  RtlAppendUnicodeToString(&device, L"\\Device\\");
  RtlAppendUnicodeToString(&link, L"\\DosDevices\\");
  if (!NT_SUCCESS(status = RtlAppendUnicodeStringToString(&device, &service)) ||
      !NT_SUCCESS(status = RtlAppendUnicodeStringToString(&link, &service)) ||
      !NT_SUCCESS(status = IoCreateDevice(driver, 0, &device, FILE_DEVICE_PHYSICAL_NETCARD, 0,
                                          FALSE, &object)))
    return status;
  status = IoCreateSymbolicLink(&link, &device);
  if (!NT_SUCCESS(status)) {
    IoDeleteDevice(object);
    return status;
  }
  driver->MajorFunction[IRP_MJ_CREATE] = Open;
  driver->MajorFunction[IRP_MJ_CLOSE] = Open;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = Query;
  return STATUS_SUCCESS;
}
