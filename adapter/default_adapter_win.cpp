// Default adapter selection: the user names the adapter that always stays in the computer, and
// the choice is remembered in the registry for the next run.

#include <conio.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "adapter/get_cpu_from_ndis.h"
#include "adapter/registry_paths.h"
#include "common/bounded_text.h"
#include "common/console_win.h"
#include "common/diagnostics.h"
#include "common/registry_win.h"
#include "common/win_resources.h"

namespace {

// Asks for an entry until a key of the key map names one. When nobody can answer (no console
// input, or a window station nobody sees) the prompt ends with a line feed and the default
// stands, as Enter would give it.
int AskForEntry(int count, int defaultIndex) {
  printf("\nSelect a card which will always be in your computer [%d] ", defaultIndex);
  fflush(stdout);
  for (;;) {
    if (!WaitForKey()) {
      printf("\n");
      fflush(stdout);
      return defaultIndex;
    }
    int key = _getch();
    int entry = EntryForKey(key, count, defaultIndex);
    if (entry == 0) continue;
    printf("%c\n", key);
    fflush(stdout);
    return entry;
  }
}

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

// Stores the entry's service name as the default adapter, without its terminating NUL, and
// its address record after it: a record of another name is never taken for this one's.
int StoreDefaultAdapter(const AdapterEntry& entry, char* errorText) {
  UniqueKey key;
  if (OpenDefaultAdapterKey(true, &key) != ERROR_SUCCESS) {
    FormatText(errorText, kErrorTextSize,
               "Unable to write to registry. Please rerun vernix.exe as an administrator\n");
    return -1;
  }
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

// A stored adapter whose record is missing (stored by a release that kept none) or out of date
// gets one, without a word: where the key can't be written, the next run tries again.
void UpdateAddressRecord(const AdapterEntry& entry, const AddressRecord& record) {
  if (IsRecordOf(record, entry)) return;
  UniqueKey key;
  if (OpenDefaultAdapterKey(true, &key) == ERROR_SUCCESS) WriteAddressRecord(key.Get(), entry);
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

int SelectDefaultAdapter(const AdapterTable* table, const char* storedServiceName,
                         const AddressRecord& record, char machineNumber[kMachineNumberSize],
                         char errorText[kErrorTextSize]) {
  if (table->count == 0) {
    FormatText(errorText, kErrorTextSize, "No valid network cards found.\n");
    return -1;
  }
  int defaultIndex = table->defaultIndex;
  int renamed = RenamedStoredEntry(table, storedServiceName, record);
  if (renamed != 0) {
    defaultIndex = renamed;
    WriteDiagnostic("The remembered network card \"%s\" is now \"%s\": the same permanent "
                    "address.\n",
                    storedServiceName, table->slots[renamed - 1].serviceName);
  }
  // A run that nobody can answer keeps the machine's identity: when the stored adapter is away
  // (disabled, unplugged, left in a dock), taking another one would store it and report
  // another machine number, with no one asked. At a console the user is asked, even when only
  // one adapter is left, and the prompt offers entry 1.
  bool absent = renamed == 0 && IsStoredAdapterAbsent(table, storedServiceName);
  if (absent && !CanAnswerAtConsole()) {
    FormatText(errorText, kErrorTextSize,
               "The remembered network card \"%s\" was not found. Run vernix.exe at a console "
               "to choose a card again.\n",
               storedServiceName);
    return -1;
  }
  int chosen = table->count == 1 && !absent ? 1 : AskForEntry(table->count, defaultIndex);
  const AdapterEntry& entry = table->slots[chosen - 1];

  if (strcmp(entry.serviceName, storedServiceName) == 0) {
    WriteDiagnostic("Registry is already correct\n");
    UpdateAddressRecord(entry, record);
  } else if (StoreDefaultAdapter(entry, errorText) != 0) {
    return -1;
  }
  CopyText(machineNumber, kMachineNumberSize, entry.machineNumber);
  return 0;
}
