#include <winsock2.h>
#include <windows.h>

#include "common/system_library_win.h"
#include "machine/collectors/socket_binding.h"

namespace {

// The names looked up, in this order; a slot stays null when its name is missing.
enum SocketEntry {
  kInetAddr, kInetNtoa, kSocket, kSelect, kSetSockOpt, kBind, kSendTo, kRecvFrom, kListen,
  kHtons, kHtonl, kNtohl, kGetHostName, kGetHostByName, kGetHostByAddr, kWSAAsyncSelect,
  kWSAStartup, kWSACleanup, kWSAGetLastError, kSocketEntries
};

const char* const kSocketEntryNames[kSocketEntries] = {
    "inet_addr", "inet_ntoa", "socket", "select", "setsockopt", "bind", "sendto",
    "recvfrom", "listen", "htons", "htonl", "ntohl", "gethostname", "gethostbyname",
    "gethostbyaddr", "WSAAsyncSelect", "WSAStartup", "WSACleanup", "WSAGetLastError"};

int g_socketBound = 0;
int g_socketBindingStatus = 0;
HMODULE g_socketLibrary = nullptr;   // never unloaded
FARPROC g_socketEntries[kSocketEntries] = {};

using GetHostNameFunction = int(WINAPI*)(char*, int);
using StartupFunction = int(WINAPI*)(WORD, LPWSADATA);

template <typename Function>
Function Entry(SocketEntry entry) {
  if (g_socketBound == 0) BindSocketLibrary();
  return reinterpret_cast<Function>(reinterpret_cast<void*>(g_socketEntries[entry]));
}

}  // namespace

int BindSocketLibrary() {
  if (g_socketBound == 0) {
    g_socketLibrary = LoadSystemLibrary("wsock32.dll");
    if (g_socketLibrary == nullptr) {
      g_socketBindingStatus = kSocketBindingFailed;
      return kSocketBindingFailed;   // not bound: the next call tries again
    }
    for (int entry = 0; entry < kSocketEntries; ++entry) {
      g_socketEntries[entry] = GetProcAddress(g_socketLibrary, kSocketEntryNames[entry]);
      if (g_socketEntries[entry] == nullptr) g_socketBindingStatus = kSocketBindingFailed;
    }
    g_socketBound = 1;
  }
  WSADATA startupData;
  SocketStartup(MAKEWORD(1, 1), &startupData);
  return g_socketBindingStatus;
}

int SocketGetHostName(char* name, int size) {
  auto function = Entry<GetHostNameFunction>(kGetHostName);
  return function == nullptr ? -1 : function(name, size);
}

int SocketStartup(unsigned short version, void* startupData) {
  auto function = Entry<StartupFunction>(kWSAStartup);
  return function == nullptr ? -1 : function(version, static_cast<LPWSADATA>(startupData));
}
