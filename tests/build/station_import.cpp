// vernix.exe as it was while it imported the window station's function: the import check must
// refuse such a 32-bit build, which the loader of Windows 95, 98 and Me refuses.
#include <windows.h>

static const bool g_stationAsked = GetProcessWindowStation() != nullptr;
