// The C++ runtime's thread library (winpthreads, linked statically into the tools that use the
// standard containers) imports GetTickCount64, which Windows Server 2003, XP and ReactOS lack:
// their loader would refuse the tool. The import's slot is defined here instead, pointing to
// GetTickCount, so that those tools load on NT 5.2 too. The library uses it only to time its
// timed waits, which the tools make none of; the tools' own waits call GetTickCount themselves.
#include <windows.h>

namespace {
ULONGLONG WINAPI TickCount() { return GetTickCount(); }
}  // namespace

#ifdef _WIN64
extern "C" void* tick_count_slot __asm__("__imp_GetTickCount64");
#else
extern "C" void* tick_count_slot __asm__("__imp__GetTickCount64@0");
#endif
void* tick_count_slot = reinterpret_cast<void*>(&TickCount);
