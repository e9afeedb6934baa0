// GetCPUFromNDIS: the stored choice read, the adapters walked, one decision over what was found,
// then the adapter list and the console dialogue that carry it out.

#include <conio.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "adapter/get_cpu_from_ndis.h"
#include "common/bounded_text.h"
#include "common/console_win.h"
#include "common/diagnostics.h"

namespace {

bool IsListed(const DefaultAdapterChoice& choice, int index) {
  for (int n = 0; n < choice.count; ++n) {
    if (choice.entries[n] == index) return true;
  }
  return false;
}

// Under the debug switch: why each Wi-Fi adapter is listed or not, and which adapters are left
// out past the table's last entry.
void DiagnoseUnlisted(const UsableAdapters& usable, const DefaultAdapterChoice& choice) {
  for (int i = 0; i < usable.count; ++i) {
    const char* name = usable.items[i].entry.serviceName;
    bool listed = IsListed(choice, i);
    if (usable.items[i].wifi && !choice.wiredUsable && listed) {
      WriteDiagnostic("\nNo wired adapter is usable: Native 802.11 adapter %s is listed.\n", name);
    } else if (usable.items[i].wifi && listed) {
      WriteDiagnostic("\nNative 802.11 adapter %s is the stored one: listed beside the wired.\n",
                      name);
    } else if (usable.items[i].wifi && choice.wiredUsable) {
      WriteDiagnostic("\nNative 802.11 adapter %s passed over: a wired adapter is usable.\n",
                      name);
    } else if (!listed) {
      WriteDiagnostic("Adapter table is full (%d entries): %s is not listed.\n",
                      kAdapterTableEntries, name);
    }
  }
}

// Under the debug switch: the stored adapter found under another name, or answering another
// address than the one recorded for it.
void DiagnoseStoredAdapter(const UsableAdapters& usable, const DefaultAdapterChoice& choice,
                           const char* storedServiceName, const AddressRecord& record) {
  if (choice.stored < 0) return;
  const AdapterEntry& stored = usable.items[choice.stored].entry;
  if (strcmp(stored.serviceName, storedServiceName) != 0) {
    WriteDiagnostic("The remembered network card \"%s\" is now \"%s\": the same permanent "
                    "address.\n",
                    storedServiceName, stored.serviceName);
  } else if (choice.numberChanged) {
    char recorded[kMachineNumberSize];
    FormatMachineNumber(record.address, recorded);
    WriteDiagnostic("The remembered network card \"%s\" has another permanent address: its "
                    "machine number was %s and is now %s.\n",
                    storedServiceName, recorded, stored.machineNumber);
  }
}

void PrintAdapterList(const UsableAdapters& usable, const DefaultAdapterChoice& choice) {
  for (int n = 1; n <= choice.count; ++n) {
    const UsableAdapter& adapter = usable.items[choice.entries[n - 1]];
    printf("%c : %s : %s\n", KeyCharacterForEntry(n), adapter.entry.machineNumber,
           adapter.description);
  }
  fflush(stdout);
}

// Reads keys until one of the key map names an entry, and echoes it. Returns 0, having read
// nothing, when nobody can answer at the console.
int ReadChosenEntry(int count, int defaultIndex) {
  for (;;) {
    if (!WaitForKey()) return 0;
    int key = _getch();
    int entry = EntryForKey(key, count, defaultIndex);
    if (entry == 0) continue;
    printf("%c\n", key);
    fflush(stdout);
    return entry;
  }
}

// The prompt, and the entry that settles it: the person's key, or the default at once where
// nobody can answer (the prompt's line is ended). A prompt that nobody answers after all gets
// the decision of a run nobody can answer, which may be to fail. Returns the entry, or 0.
int Prompt(const UsableAdapters& usable, const char* storedServiceName,
           const AddressRecord& record, DefaultAdapterChoice* choice) {
  printf("\nSelect a card which will always be in your computer [%d] ", choice->defaultIndex);
  fflush(stdout);
  int entry = choice->action == ChoiceAction::kAsk
                  ? ReadChosenEntry(choice->count, choice->defaultIndex)
                  : 0;
  if (entry != 0) return entry;
  printf("\n");
  fflush(stdout);
  if (choice->action == ChoiceAction::kAsk) {
    DecideDefaultAdapter(usable.items, usable.count, storedServiceName, record, false, choice);
  }
  return choice->action == ChoiceAction::kFail ? 0 : choice->defaultIndex;
}

}  // namespace

int16_t GetCPUFromNDIS(char machineNumber[kMachineNumberSize], char errorText[kErrorTextSize]) {
  errorText[0] = '\0';
  char storedServiceName[kServiceNameSize];
  AddressRecord record;
  ReadStoredServiceName(storedServiceName, &record);

  UsableAdapters usable;
  if (EnumerateAdapters(&usable, errorText) != 0) return -1;

  DefaultAdapterChoice choice;
  DecideDefaultAdapter(usable.items, usable.count, storedServiceName, record,
                       CanAnswerAtConsole(), &choice);
  DiagnoseUnlisted(usable, choice);
  PrintAdapterList(usable, choice);
  DiagnoseStoredAdapter(usable, choice, storedServiceName, record);

  int chosen = choice.defaultIndex;
  if (choice.action == ChoiceAction::kAsk || choice.action == ChoiceAction::kTakeAtPrompt) {
    chosen = Prompt(usable, storedServiceName, record, &choice);
  }
  if (choice.action == ChoiceAction::kFail) {
    CopyText(errorText, kErrorTextSize, choice.errorText);
    return -1;
  }

  const AdapterEntry& entry = usable.items[choice.entries[chosen - 1]].entry;
  ChoiceWrite write = ChoiceWriteFor(entry, storedServiceName, record);
  if (write != ChoiceWrite::kNameAndRecord) WriteDiagnostic("Registry is already correct\n");
  if (StoreDefaultAdapter(entry, write, errorText) != 0) return -1;
  CopyText(machineNumber, kMachineNumberSize, entry.machineNumber);
  return 0;
}
