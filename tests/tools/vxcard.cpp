// Test helper for the acceptance suite: NetworkCards subkeys and DOS device names, which the
// suite can't reach with reg.exe (Wine's NetworkCards key is volatile, so its subkeys must be
// too).
//
//   vxcard.exe add NAME [SERVICE]   a volatile subkey NAME with Description "test card NAME"
//                                   and, when given, ServiceName SERVICE
//   vxcard.exe device NAME          prints "defined <target>" or "undefined" for a DOS device
//
// Exit status 0 on success, 1 when the registry refused, 2 for bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kNetworkCards[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";

int AddCard(const char* name, const char* service) {
  std::string path = std::string(kNetworkCards) + "\\" + name;
  HKEY key;
  LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr,
                                REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) {
    fprintf(stderr, "vxcard: cannot create %s: error %ld\n", path.c_str(), result);
    return 1;
  }
  std::string description = std::string("test card ") + name;
  RegSetValueExA(key, "Description", 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(description.c_str()),
                 static_cast<DWORD>(description.size() + 1));
  if (service != nullptr) {
    RegSetValueExA(key, "ServiceName", 0, REG_SZ, reinterpret_cast<const BYTE*>(service),
                   static_cast<DWORD>(strlen(service) + 1));
  }
  RegCloseKey(key);
  return 0;
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
  if (argc >= 3 && strcmp(argv[1], "add") == 0) return AddCard(argv[2], argc > 3 ? argv[3] : nullptr);
  if (argc == 3 && strcmp(argv[1], "device") == 0) return ShowDevice(argv[2]);
  fprintf(stderr, "usage: vxcard.exe add NAME [SERVICE] | device NAME\n");
  return 2;
}
