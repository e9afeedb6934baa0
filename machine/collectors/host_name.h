// The host name: the name Windows Sockets reports, cut before its first dot and upper-cased
// when it is plain 7-bit text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "machine/machine_attributes.h"

// Prefills "NONAME", asks Windows Sockets for the host name and leaves it in UTF-8.
// Returns the host-name query's result: 0, non-zero on failure, -1 without the entry point.
int LookUpHostName(char* text, size_t size);

// The collector of the host-name field. Returns 0, or the lookup's failure.
int GetMachineHostName(MachineAttributes* record);

// The finishing step: when the host name was requested and the field isn't empty, the field
// goes back from UTF-8 into the system ANSI code page, the form the report prints.
void LocalizeHostName(MachineAttributes* record, uint32_t requested);
