// floor.exe: the least a run of vernix.exe can cost.
//
// It makes the platform calls that the job can't do without, each once, and nothing else:
// the platform and processor checks, the stored default adapter, the walk over NetworkCards
// (per subkey: open, ServiceName, the device name, the driver opened and asked for the medium
// and the permanent address; the Description of every listed adapter), the console input check
// when there is a choice to make, the host name through wsock32.dll, one small report file next
// to the executable (written the crash-safe way vernix.exe writes its report) and one message
// box, with the adapter list and the final message on standard output. The bench compares
// vernix.exe with this.
//
//   floor.exe                    everything above; exit status 0 when an adapter was usable
//   floor.exe --adapters-only    only the walk over NetworkCards, for the per-adapter cost

#include <winsock2.h>
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kNetworkCards[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
constexpr char kDefaultAdapterKey[] = "SOFTWARE\\Orlenk\\Quarvel";
constexpr DWORD kIoctlNdisQueryGlobalStats = 0x00170002;
constexpr DWORD kOidGenMediaInUse = 0x00010104;
constexpr DWORD kOid802_3PermanentAddress = 0x01010101;

struct Output {
  char text[8192];
  size_t used = 0;
  void Add(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    va_list args;
    va_start(args, format);
    int n = vsnprintf(text + used, sizeof text - used, format, args);
    va_end(args);
    if (n > 0) used = used + static_cast<size_t>(n) < sizeof text ? used + n : sizeof text - 1;
  }
  void Flush() {
    DWORD written = 0;
    if (used > 0) WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, used, &written, nullptr);
    used = 0;
  }
};

bool ReadText(HKEY key, const char* name, char* buf, DWORD size) {
  DWORD type = 0;
  DWORD length = size - 1;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &length) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    buf[0] = '\0';
    return false;
  }
  buf[length] = '\0';
  return true;
}

// One subkey: true, with the machine number, when its adapter is usable.
bool ExamineAdapter(HKEY cards, const char* subkeyName, bool listed, Output* out,
                    char machineNumber[9]) {
  HKEY subkey = nullptr;
  if (RegOpenKeyExA(cards, subkeyName, 0, KEY_READ, &subkey) != ERROR_SUCCESS) return false;
  bool usable = false;
  char serviceName[41];
  char target[80];
  if (ReadText(subkey, "ServiceName", serviceName, sizeof serviceName) &&
      QueryDosDeviceA(serviceName, target, sizeof target) != 0) {
    char devicePath[64];
    snprintf(devicePath, sizeof devicePath, "\\\\.\\%s", serviceName);
    HANDLE device =
        CreateFileA(devicePath, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device != INVALID_HANDLE_VALUE) {
      unsigned char answer[16];
      DWORD returned = 0;
      DWORD oid = kOidGenMediaInUse;
      if (DeviceIoControl(device, kIoctlNdisQueryGlobalStats, &oid, sizeof oid, answer,
                          sizeof answer, &returned, nullptr) &&
          returned == 4 && answer[0] == 0) {
        oid = kOid802_3PermanentAddress;
        if (DeviceIoControl(device, kIoctlNdisQueryGlobalStats, &oid, sizeof oid, answer,
                            sizeof answer, &returned, nullptr) &&
            returned == 6 && (answer[3] | answer[4] | answer[5]) != 0) {
          snprintf(machineNumber, 9, "%02X%02X%02X%02X", answer[2], answer[3], answer[4],
                   answer[5]);
          usable = true;
        }
      }
      CloseHandle(device);
    }
  }
  if (usable && listed) {
    char description[256];
    ReadText(subkey, "Description", description, sizeof description);
    out->Add("%s : %s : %s\n", subkeyName, machineNumber, description);
  }
  RegCloseKey(subkey);
  return usable;
}

// The walk over NetworkCards. Returns the number of usable adapters; the first one's machine
// number is kept.
int WalkAdapters(bool listed, Output* out, char machineNumber[9]) {
  HKEY cards = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetworkCards, 0, KEY_READ, &cards) != ERROR_SUCCESS) {
    return 0;
  }
  int usable = 0;
  char number[9];
  for (DWORD index = 0;; ++index) {
    char name[16];
    DWORD length = sizeof name;
    LONG result = RegEnumKeyExA(cards, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) break;
    if (ExamineAdapter(cards, name, listed, out, number)) {
      if (usable++ == 0) memcpy(machineNumber, number, sizeof number);
    }
  }
  RegCloseKey(cards);
  return usable;
}

// A library from the system directory; nullptr when it can't be loaded.
HMODULE LoadSystemLibrary(const char* name) {
  char path[MAX_PATH + 32];
  UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  snprintf(path + length, sizeof path - length, "\\%s", name);
  return LoadLibraryA(path);
}

// An exported function, as a plain pointer for the cast to its real type.
void (*Entry(HMODULE library, const char* name))() {
  return reinterpret_cast<void (*)()>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// The host name through wsock32.dll, loaded from the system directory.
void ReadHostName(char* name, int size) {
  name[0] = '\0';
  HMODULE library = LoadSystemLibrary("wsock32.dll");
  if (library == nullptr) return;
  using Startup = int(WINAPI*)(WORD, WSADATA*);
  using HostName = int(WINAPI*)(char*, int);
  using Cleanup = int(WINAPI*)();
  auto startup = reinterpret_cast<Startup>(Entry(library, "WSAStartup"));
  auto hostName = reinterpret_cast<HostName>(Entry(library, "gethostname"));
  auto cleanup = reinterpret_cast<Cleanup>(Entry(library, "WSACleanup"));
  WSADATA data;
  if (startup != nullptr && hostName != nullptr && cleanup != nullptr &&
      startup(0x0101, &data) == 0) {
    if (hostName(name, size) != 0) name[0] = '\0';
    cleanup();
  }
  FreeLibrary(library);
}

// The adapter list and the final message, one write each.
Output out;

// The message box. user32.dll is loaded here rather than imported, so that --adapters-only
// doesn't pay for it; a whole run pays the same as for an import.
int ShowMessageBox(const char* message) {
  HMODULE library = LoadSystemLibrary("user32.dll");
  if (library == nullptr) return 0;
  using MessageBox = int(WINAPI*)(HWND, const char*, const char*, UINT);
  auto messageBox = reinterpret_cast<MessageBox>(Entry(library, "MessageBoxA"));
  // Kept loaded until the process ends, as an imported library would be.
  return messageBox != nullptr ? messageBox(nullptr, message, "floor", MB_SETFOREGROUND) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  char machineNumber[9] = {};
  if (argc > 1 && strcmp(argv[1], "--adapters-only") == 0) {
    return WalkAdapters(false, &out, machineNumber) > 0 ? 0 : 1;
  }

  OSVERSIONINFOA version;
  memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&version);
#pragma GCC diagnostic pop
  SYSTEM_INFO system;
  GetSystemInfo(&system);

  char stored[41] = {};
  HKEY key = nullptr;
  // From the 32-bit registry view, as vernix.exe reads it.
  const REGSAM view = sizeof(void*) == 8 ? KEY_WOW64_32KEY : 0;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDefaultAdapterKey, 0, KEY_READ | view, &key) ==
      ERROR_SUCCESS) {
    ReadText(key, "ServiceName", stored, sizeof stored);
    RegCloseKey(key);
  }

  int usable = WalkAdapters(true, &out, machineNumber);
  out.Flush();
  if (usable == 0) return 1;
  if (usable > 1) {
    // A choice to make: is there console input to ask on?
    HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    if (input != INVALID_HANDLE_VALUE) {
      DWORD mode = 0;
      GetConsoleMode(input, &mode);
      CloseHandle(input);
    }
  }

  char hostName[256];
  ReadHostName(hostName, sizeof hostName);

  char report[512];
  int reportLength = snprintf(report, sizeof report, "%-21s\t%.3X\n%-21s\t%s\n%-21s\t%s\n",
                              "Model:", system.wProcessorRevision, "CPU:", machineNumber,
                              "Host:", hostName);
  char path[MAX_PATH + 32];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  while (length > 0 && path[length - 1] != '\\') --length;
  snprintf(path + length, sizeof path - length, "floor_%.3X_%s.txt", system.wProcessorRevision,
           machineNumber);
  // Written as vernix.exe writes its report: under a temporary name of this process's, created
  // exclusively, committed, then moved over the name, written through.
  char temporary[MAX_PATH + 32];
  snprintf(temporary, sizeof temporary, "%.*s.%08lX", static_cast<int>(strlen(path) - 4), path,
           GetCurrentProcessId());
  int file = _open(temporary, _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, 0740);
  if (file < 0) return 1;
  bool written = _write(file, report, static_cast<unsigned>(reportLength)) == reportLength &&
                 _commit(file) == 0;
  if (_close(file) != 0 || !written ||
      !MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temporary);
    return 1;
  }

  char message[MAX_PATH + 64];
  snprintf(message, sizeof message, "Written to \"%s\".\n", path);
  if (ShowMessageBox(message) <= 0) {
    out.Add("%s", message);
    out.Flush();
  }
  return 0;
}
