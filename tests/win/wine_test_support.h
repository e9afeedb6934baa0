// Support for the Windows-side tests: captured standard streams, registry keys that the tests
// add and put back, and the adapters' addresses from an independent source.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// Standard output and standard error of the test process, redirected into files for as long as
// the object lives (or until Stop), then read back.
class CapturedStreams {
 public:
  CapturedStreams();
  ~CapturedStreams();
  CapturedStreams(const CapturedStreams&) = delete;
  CapturedStreams& operator=(const CapturedStreams&) = delete;
  void Stop();
  std::string out;
  std::string err;

 private:
  int savedOut_ = -1, savedErr_ = -1, fileOut_ = -1, fileErr_ = -1;
  std::string pathOut_, pathErr_;
};

constexpr char kNetworkCards[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
constexpr char kOrlenk[] = "SOFTWARE\\Orlenk";
constexpr char kQuarvel[] = "SOFTWARE\\Orlenk\\Quarvel";
// Both builds keep the stored default adapter in the 32-bit registry view.
constexpr REGSAM kDefaultAdapterView = KEY_WOW64_32KEY;

struct NetworkCard {
  std::string subkey;
  std::string serviceName;
  std::string description;
  DWORD serviceType = 0;
};

// The NetworkCards subkeys as the registry has them, in enumeration order.
std::vector<NetworkCard> ReadNetworkCards();

// A NetworkCards subkey that the test adds (volatile, as the key itself is) and removes again.
class ScopedCardSubkey {
 public:
  ScopedCardSubkey(const std::string& name, const std::string& serviceName,
                   DWORD type = REG_SZ, bool withServiceName = true);
  ~ScopedCardSubkey();
  ScopedCardSubkey(const ScopedCardSubkey&) = delete;
  ScopedCardSubkey& operator=(const ScopedCardSubkey&) = delete;

 private:
  std::string name_;
};

// Saves the stored default adapter as the machine has it (its key, the key above it, and the
// values the program writes) and puts it back so on destruction, byte for byte; only keys that
// were not there before are deleted, never a key or value beside them.
class SavedDefaultAdapter {
 public:
  SavedDefaultAdapter();
  ~SavedDefaultAdapter();
  SavedDefaultAdapter(const SavedDefaultAdapter&) = delete;
  SavedDefaultAdapter& operator=(const SavedDefaultAdapter&) = delete;
  bool HadParentKey() const { return hadParent_; }

 private:
  struct Value {
    bool had = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };
  bool hadParent_ = false;
  bool hadKey_ = false;
  Value values_[2];   // ServiceName, PermanentAddress
};

// Removes the stored default adapter's values (its name and its address record).
void ClearStoredDefault();
// Writes the stored default adapter with the given bytes and type.
void WriteStoredDefault(const void* data, DWORD size, DWORD type);

// The permanent address of a Linux interface, from /sys/class/net through Wine's Z: drive,
// as 6 bytes; empty when there is no such file (as on Windows).
std::optional<std::vector<unsigned char>> ReadLinuxInterfaceAddress(const std::string& name);

// A usable real adapter: the first NetworkCards subkey whose interface address has a non-zero
// tail; nullopt when the machine has none.
std::optional<NetworkCard> FindUsableRealCard();

// The lines of a text that contain the given piece.
int CountOccurrences(const std::string& text, const std::string& piece);
