// vernix.exe as it was while it asked the window station through a static import: the import
// check must refuse such a 32-bit build, which the loader of Windows 95, 98 and Me refuses.
#include <windows.h>

namespace {

const bool g_stationAsked = GetProcessWindowStation() != nullptr;

}  // namespace
