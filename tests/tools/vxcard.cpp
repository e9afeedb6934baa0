// Test helper for the acceptance suite: NetworkCards subkeys and DOS device names, which the
// suite can't reach with reg.exe (Wine's NetworkCards key is volatile, so its subkeys must be
// too).
//
//   vxcard.exe add NAME [SERVICE]   a volatile subkey NAME with Description "test card NAME"
//                                   and, when given, ServiceName SERVICE
//   vxcard.exe device NAME          prints "defined <target>" or "undefined" for a DOS device
//   vxcard.exe devices              prints every DOS device name, one a line
//   vxcard.exe define NAME          defines the DOS device NAME for \Device\NAME, as another
//                                   program would
//   vxcard.exe cards COUNT          on a system whose network setup writes no NetworkCards
//                                   (ReactOS), writes subkeys 1 to COUNT as that setup would,
//                                   from the network class key's first COUNT adapters, once each
//                                   one's device opens; prints "N {GUID} description" for each
//   vxcard.exe done DRIVE           flushes DRIVE's disk, then says "vxguest: done" to the
//                                   kernel debugger
//
// Exit status 0 on success, 1 when the system refused, 2 for bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

const char kNetworkCards[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
const char kNetClass[] =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr DWORD kCardsTimeoutMs = 120000;   // drivers start some seconds after logon

std::string Text(HKEY key, const char* name) {
  char value[512] = "";
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
          ERROR_SUCCESS || type != REG_SZ) {
    return "";
  }
  value[size] = '\0';
  return value;
}

void SetText(HKEY key, const char* name, const std::string& value) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
}

// A NetworkCards subkey with its Description and, when given, its ServiceName.
int WriteCard(const std::string& name, const char* service, const std::string& description,
              DWORD options) {
  std::string path = std::string(kNetworkCards) + "\\" + name;
  HKEY key;
  LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, options,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) {
    fprintf(stderr, "vxcard: cannot create %s: error %ld\n", path.c_str(), result);
    return 1;
  }
  SetText(key, "Description", description);
  if (service != nullptr) SetText(key, "ServiceName", service);
  RegCloseKey(key);
  return 0;
}

// Whether \Device\GUID opens, through a DOS name of this tool's own, removed again.
bool DeviceOpens(const std::string& guid) {
  std::string target = "\\Device\\" + guid;
  if (!DefineDosDeviceA(DDD_RAW_TARGET_PATH, "VXPROBE", target.c_str())) return false;
  HANDLE device = CreateFileA("\\\\.\\VXPROBE", 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  bool opens = device != INVALID_HANDLE_VALUE;
  if (opens) CloseHandle(device);
  DefineDosDeviceA(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE,
                   "VXPROBE", target.c_str());
  return opens;
}

// The class key's adapters in its subkeys' order, as {NetCfgInstanceId, DriverDesc}, as far as
// each one's device opens.
std::vector<std::pair<std::string, std::string>> ClassAdapters() {
  std::vector<std::pair<std::string, std::string>> adapters;
  HKEY net;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetClass, 0, KEY_READ, &net) != ERROR_SUCCESS) {
    return adapters;
  }
  char name[64];
  for (DWORD index = 0; index < 1000; ++index) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(net, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    HKEY adapter;
    if (RegOpenKeyExA(net, name, 0, KEY_READ, &adapter) != ERROR_SUCCESS) continue;
    std::string guid = Text(adapter, "NetCfgInstanceId");
    if (!guid.empty() && DeviceOpens(guid)) {
      adapters.emplace_back(guid, Text(adapter, "DriverDesc"));
    }
    RegCloseKey(adapter);
  }
  RegCloseKey(net);
  return adapters;
}

int WriteCards(unsigned count) {
  DWORD start = GetTickCount();
  std::vector<std::pair<std::string, std::string>> adapters = ClassAdapters();
  while (adapters.size() < count) {
    if (GetTickCount() - start > kCardsTimeoutMs) {
      fprintf(stderr, "vxcard: %u of %u adapters' devices open after %lu ms\n",
              static_cast<unsigned>(adapters.size()), count, kCardsTimeoutMs);
      return 1;
    }
    Sleep(500);
    adapters = ClassAdapters();
  }
  for (unsigned n = 1; n <= count; ++n) {
    if (WriteCard(std::to_string(n), adapters[n - 1].first.c_str(), adapters[n - 1].second, 0)) {
      return 1;
    }
    printf("%u %s %s\n", n, adapters[n - 1].first.c_str(), adapters[n - 1].second.c_str());
  }
  return 0;
}

int ListDevices() {
  std::vector<char> names(1 << 16);
  DWORD stored = 0;
  while ((stored = QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size()))) == 0) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || names.size() >= (1u << 24)) {
      fprintf(stderr, "vxcard: QueryDosDevice failed: error %lu\n", GetLastError());
      return 1;
    }
    names.resize(names.size() * 2);
  }
  for (const char* name = names.data(); name < names.data() + stored && *name;
       name += strlen(name) + 1) {
    printf("%s\n", name);
  }
  return 0;
}

int Define(const char* name) {
  std::string target = std::string("\\Device\\") + name;
  if (!DefineDosDeviceA(DDD_RAW_TARGET_PATH, name, target.c_str())) {
    fprintf(stderr, "vxcard: cannot define %s: error %lu\n", name, GetLastError());
    return 1;
  }
  return 0;
}

// The data disk's writes on the disk before the host ends the machine.
int Done(const char* drive) {
  std::string path = std::string("\\\\.\\") + drive;
  HANDLE volume = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  if (volume == INVALID_HANDLE_VALUE || !FlushFileBuffers(volume)) {
    fprintf(stderr, "vxcard: cannot flush %s: error %lu\n", drive, GetLastError());
    OutputDebugStringA("vxguest: flush failed\n");
    return 1;
  }
  CloseHandle(volume);
  OutputDebugStringA("vxguest: done\n");
  return 0;
}

// Wine's NetworkCards key is volatile, so its subkeys must be too.
int AddCard(const char* name, const char* service) {
  return WriteCard(name, service, std::string("test card ") + name, REG_OPTION_VOLATILE);
}

int ShowDevice(const char* name) {
  char target[1024];
  if (QueryDosDeviceA(name, target, sizeof target) == 0) {
    printf("undefined\n");
  } else {
    printf("defined %s\n", target);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && strcmp(argv[1], "add") == 0) {
    return AddCard(argv[2], argc > 3 ? argv[3] : nullptr);
  }
  if (argc == 3 && strcmp(argv[1], "device") == 0) return ShowDevice(argv[2]);
  if (argc == 2 && strcmp(argv[1], "devices") == 0) return ListDevices();
  if (argc == 3 && strcmp(argv[1], "define") == 0) return Define(argv[2]);
  if (argc == 3 && strcmp(argv[1], "cards") == 0) return WriteCards(atoi(argv[2]));
  if (argc == 3 && strcmp(argv[1], "done") == 0) return Done(argv[2]);
  fprintf(stderr, "usage: vxcard.exe add NAME [SERVICE] | device NAME | devices | define NAME | "
                  "cards COUNT | done DRIVE\n");
  return 2;
}
