// Which usable adapter is the machine's: the one decision of a run, as plain values.
//
// The walk finds the usable adapters; this decides, from them, the stored default adapter and
// its address record, and whether a person can answer at the console, which adapters are
// listed, which is the default, what the run does and what it writes. The machine number
// changes only when a person chooses another adapter.
#pragma once

#include <cstddef>

#include "adapter/adapter_table.h"

// A usable adapter as the walk found it: its driver answered a wired medium (802.3, 802.5) or
// Native 802.11 (Wi-Fi), with a permanent address whose machine number is usable.
struct UsableAdapter {
  AdapterEntry entry;
  char description[kDescriptionSize];
  bool wifi;   // listed beside wired adapters only when it is the stored one
};

// The usable adapters in walk order, as many as the machine has; grown with the runtime's
// allocator and released with the list.
struct UsableAdapters {
  UsableAdapter* items = nullptr;
  int count = 0;
  int capacity = 0;
  UsableAdapters() = default;
  UsableAdapters(const UsableAdapters&) = delete;
  UsableAdapters& operator=(const UsableAdapters&) = delete;
  ~UsableAdapters();
};

// Adds an adapter, each text cut to its field. Returns 0, or the size in bytes that could not
// be allocated (nothing added).
size_t KeepUsableAdapter(UsableAdapters* list, const AdapterEntry& entry,
                         const char* description, bool wifi);

enum class ChoiceAction {
  kTake,           // the one entry, without a prompt
  kTakeAtPrompt,   // nobody can answer: the prompt is shown and its default taken at once
  kAsk,            // a person answers the prompt; Enter takes the default
  kFail,           // errorText says why; nothing is written
};

enum class ChoiceWrite {
  kNothing,
  kRecord,          // the stored name stands; its address record is made or brought up to date
  kNameAndRecord,   // the chosen adapter's service name is stored, with its record
};

struct DefaultAdapterChoice {
  int entries[kAdapterTableEntries];   // the listed adapters, as indices of the usable ones
  int count;                           // entries listed
  int defaultIndex;                    // 1-based: the stored adapter's entry, else entry 1
  ChoiceAction action;
  ChoiceWrite write;                   // for the default; a person's choice: ChoiceWriteFor
  int stored;                          // the stored adapter's index among the usable ones, or -1
  bool wiredUsable;                    // Wi-Fi adapters beside wired ones are passed over
  bool numberChanged;                  // found by name, with another address than recorded
  char errorText[kErrorTextSize];      // with kFail; ends in a line feed
};

// The decision. The stored adapter is, in this order: the one usable adapter with the address
// that the record names for the stored name, whatever its service name now; else the usable
// adapter with the stored name (a later one over an earlier); else absent. It is always
// listed, in the last entry where it would fall past the table.
void DecideDefaultAdapter(const UsableAdapter* adapters, int count, const char* storedServiceName,
                          const AddressRecord& record, bool attended,
                          DefaultAdapterChoice* choice);

// What storing the chosen entry takes: nothing where its name is stored and the record is of
// it, the record alone where only the record is missing or out of date, else name and record.
ChoiceWrite ChoiceWriteFor(const AdapterEntry& chosen, const char* storedServiceName,
                           const AddressRecord& record);
