// The stored default adapter: the choice of the adapter that always stays in the computer,
// remembered in the registry for the next run, with the permanent address recorded beside it.

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "adapter/get_cpu_from_ndis.h"
#include "adapter/registry_paths.h"
#include "common/bounded_text.h"
#include "common/diagnostics.h"
#include "common/registry_win.h"
#include "common/win_resources.h"

namespace {

// Earlier releases were 32-bit programs: on 64-bit Windows their choice is in the 32-bit
// registry view. Both builds keep it there, so that the machine number never depends on the
// build that runs. The 64-bit build asks for that view on top of the access it needs (the one
// change to the access rights this key was always opened with); the 32-bit build is in it
// already, and needs no flag that the Windows versions before XP, which it serves too, would
// refuse.
constexpr REGSAM kDefaultAdapterView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : 0;

// Opens the default adapter's key for reading, or for writing, creating it when absent.
LONG OpenDefaultAdapterKey(bool forWriting, UniqueKey* key) {
  if (!forWriting) {
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDefaultAdapterKeyPath, 0,
                         KEY_READ | kDefaultAdapterView, key->Put());
  }
  return RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDefaultAdapterKeyPath, 0, const_cast<char*>(""),
                         REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | kDefaultAdapterView, nullptr,
                         key->Put(), nullptr);
}

// Records the entry's permanent address with its service name; a failure changes nothing.
void WriteAddressRecord(HKEY key, const AdapterEntry& entry) {
  char text[kAddressRecordTextSize];
  FormatAddressRecord(entry, text);
  RegSetValueExA(key, kAddressRecordValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>(strlen(text) + 1));
}

}  // namespace

void ReadStoredServiceName(char storedServiceName[kServiceNameSize], AddressRecord* record) {
  storedServiceName[0] = '\0';
  if (record != nullptr) memset(record, 0, sizeof *record);
  UniqueKey key;
  if (OpenDefaultAdapterKey(false, &key) != ERROR_SUCCESS) return;
  // Whatever its type: a provisioning script may have written it as REG_EXPAND_SZ.
  ReadRegistryText(key.Get(), kServiceNameValue, storedServiceName, kServiceNameSize, nullptr);
  if (record != nullptr) {
    char text[kAddressRecordTextSize];
    if (ReadRegistryText(key.Get(), kAddressRecordValue, text, sizeof text, nullptr) ==
        ERROR_SUCCESS) {
      ParseAddressRecord(text, record);
    }
  }
  key.Reset();
  WriteDiagnostic("Registry checked for default card - \"%s\"\n", storedServiceName);
}

int StoreDefaultAdapter(const AdapterEntry& entry, ChoiceWrite write,
                        char errorText[kErrorTextSize]) {
  if (write == ChoiceWrite::kNothing) return 0;
  UniqueKey key;
  bool opened = OpenDefaultAdapterKey(true, &key) == ERROR_SUCCESS;
  if (write == ChoiceWrite::kRecord) {
    if (opened) WriteAddressRecord(key.Get(), entry);
    return 0;
  }
  if (!opened) {
    FormatText(errorText, kErrorTextSize,
               "Unable to write to registry. Please rerun vernix.exe as an administrator\n");
    return -1;
  }
  // Without its terminating NUL, as earlier releases stored it; the record after it, so that a
  // record of another name is never taken for this one's.
  LONG result = RegSetValueExA(key.Get(), kServiceNameValue, 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(entry.serviceName),
                               static_cast<DWORD>(strlen(entry.serviceName)));
  // The machine number stands even when it can't be remembered; the next run asks again.
  if (result != ERROR_SUCCESS) {
    WriteDiagnostic("RegSetValueEx(ServiceName) failed. Error %d\n", static_cast<int>(result));
    return 0;
  }
  WriteAddressRecord(key.Get(), entry);
  return 0;
}
