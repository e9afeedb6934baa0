#include "adapter/default_adapter.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "common/bounded_text.h"

UsableAdapters::~UsableAdapters() { free(items); }

size_t KeepUsableAdapter(UsableAdapters* list, const AdapterEntry& entry,
                         const char* description, bool wifi) {
  if (list->count == list->capacity) {
    size_t capacity = list->capacity == 0 ? 16 : 2 * static_cast<size_t>(list->capacity);
    size_t size = capacity * sizeof(UsableAdapter);
    void* grown = capacity <= INT_MAX / 2 && size / sizeof(UsableAdapter) == capacity
                      ? realloc(list->items, size)
                      : nullptr;
    if (grown == nullptr) return size;
    list->items = static_cast<UsableAdapter*>(grown);
    list->capacity = static_cast<int>(capacity);
  }
  UsableAdapter* adapter = &list->items[list->count++];
  adapter->entry = entry;
  CopyText(adapter->description, sizeof adapter->description, description);
  adapter->wifi = wifi;
  return 0;
}

namespace {

bool HasRecordedAddress(const AdapterEntry& entry, const AddressRecord& record) {
  return memcmp(entry.address, record.address, kAddressLength) == 0;
}

// The stored adapter's index among the usable ones, or -1; *byRecord tells how it was found.
int FindStoredAdapter(const UsableAdapter* adapters, int count, const char* storedServiceName,
                      const AddressRecord& record, bool* byRecord) {
  *byRecord = false;
  if (storedServiceName[0] == '\0') return -1;
  // The record first: a card keeps its permanent address when Windows gives it another name,
  // and two cards whose names were swapped are told apart by it.
  if (strcmp(record.serviceName, storedServiceName) == 0) {
    int withAddress = -1;
    int matches = 0;
    for (int i = 0; i < count; ++i) {
      if (HasRecordedAddress(adapters[i].entry, record)) {
        withAddress = i;
        ++matches;
      }
    }
    *byRecord = matches == 1;
    if (*byRecord) return withAddress;
  }
  int named = -1;
  for (int i = 0; i < count; ++i) {
    if (strcmp(adapters[i].entry.serviceName, storedServiceName) == 0) named = i;
  }
  return named;
}

// Wired adapters in walk order, then the Wi-Fi ones that may be listed: all of them where no
// wired adapter is usable, else only the stored one. Past the table's last entry only the
// stored adapter is taken, into that entry.
void ListAdapters(const UsableAdapter* adapters, int count, DefaultAdapterChoice* choice) {
  choice->count = 0;
  for (int wifi = 0; wifi <= 1; ++wifi) {
    for (int i = 0; i < count; ++i) {
      if (adapters[i].wifi != (wifi == 1)) continue;
      if (adapters[i].wifi && choice->wiredUsable && i != choice->stored) continue;
      if (choice->count < kAdapterTableEntries) {
        choice->entries[choice->count++] = i;
      } else if (i == choice->stored) {
        choice->entries[kAdapterTableEntries - 1] = i;
      }
    }
  }
  choice->defaultIndex = 1;
  for (int n = 1; n <= choice->count; ++n) {
    if (choice->entries[n - 1] == choice->stored) choice->defaultIndex = n;
  }
}

}  // namespace

void DecideDefaultAdapter(const UsableAdapter* adapters, int count, const char* storedServiceName,
                          const AddressRecord& record, bool attended,
                          DefaultAdapterChoice* choice) {
  memset(choice, 0, sizeof *choice);
  bool byRecord = false;
  choice->stored = FindStoredAdapter(adapters, count, storedServiceName, record, &byRecord);
  // The name decides where the record of that name finds no single adapter: a cloned image's
  // card, or a virtual one given a new address, keeps its place, and its number changes.
  choice->numberChanged = choice->stored >= 0 && !byRecord &&
                          strcmp(record.serviceName, storedServiceName) == 0 &&
                          !HasRecordedAddress(adapters[choice->stored].entry, record);
  for (int i = 0; i < count; ++i) {
    if (!adapters[i].wifi) choice->wiredUsable = true;
  }
  ListAdapters(adapters, count, choice);

  if (choice->count == 0) {
    choice->action = ChoiceAction::kFail;
    FormatText(choice->errorText, sizeof choice->errorText, "No valid network cards found.\n");
  } else if (storedServiceName[0] != '\0' && choice->stored < 0) {
    // Another adapter is taken only when a person chooses it, even the only one left: taking
    // it unasked would change the machine number with no one to say so.
    choice->action = attended ? ChoiceAction::kAsk : ChoiceAction::kFail;
    if (!attended) {
      FormatText(choice->errorText, sizeof choice->errorText,
                 "The remembered network card \"%s\" was not found. Run vernix.exe at a console "
                 "to choose a card again.\n",
                 storedServiceName);
    }
  } else if (choice->count == 1) {
    choice->action = ChoiceAction::kTake;
  } else {
    choice->action = attended ? ChoiceAction::kAsk : ChoiceAction::kTakeAtPrompt;
  }
  choice->write = choice->action == ChoiceAction::kFail
                      ? ChoiceWrite::kNothing
                      : ChoiceWriteFor(adapters[choice->entries[choice->defaultIndex - 1]].entry,
                                       storedServiceName, record);
}

ChoiceWrite ChoiceWriteFor(const AdapterEntry& chosen, const char* storedServiceName,
                           const AddressRecord& record) {
  if (strcmp(chosen.serviceName, storedServiceName) != 0) return ChoiceWrite::kNameAndRecord;
  return IsRecordOf(record, chosen) ? ChoiceWrite::kNothing : ChoiceWrite::kRecord;
}
