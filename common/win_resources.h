// Owning wrappers for the Windows resources the program acquires: each one is released on the
// path that acquired it, whichever way that path returns.
#pragma once

#include <windows.h>

#include <cstring>

class UniqueKey {
 public:
  UniqueKey() = default;
  UniqueKey(const UniqueKey&) = delete;
  UniqueKey& operator=(const UniqueKey&) = delete;
  ~UniqueKey() { Reset(); }

  HKEY Get() const { return key_; }
  // For the calls that open a key into an HKEY*; the wrapper must be empty.
  HKEY* Put() { Reset(); return &key_; }
  void Reset() {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
};

// A handle, closed by the function that goes with its kind.
template <BOOL(WINAPI* Close)(HANDLE)>
class BasicUniqueHandle {
 public:
  explicit BasicUniqueHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  BasicUniqueHandle(const BasicUniqueHandle&) = delete;
  BasicUniqueHandle& operator=(const BasicUniqueHandle&) = delete;
  ~BasicUniqueHandle() { Reset(); }

  HANDLE Get() const { return handle_; }
  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  void Reset() {
    if (IsValid()) Close(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

using UniqueHandle = BasicUniqueHandle<CloseHandle>;
using UniqueFind = BasicUniqueHandle<FindClose>;   // a search of a folder (FindFirstFileA)

class UniqueLibrary {
 public:
  explicit UniqueLibrary(HMODULE module = nullptr) : module_(module) {}
  UniqueLibrary(const UniqueLibrary&) = delete;
  UniqueLibrary& operator=(const UniqueLibrary&) = delete;
  ~UniqueLibrary() { Reset(); }

  HMODULE Get() const { return module_; }
  void Reset(HMODULE module = nullptr) {
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = module;
  }

 private:
  HMODULE module_;
};

// A DOS device name defined for the time one adapter is examined: it maps the name to the raw
// target path and is removed, with exactly that target, when the wrapper goes.
class TemporaryDosDevice {
 public:
  TemporaryDosDevice() = default;
  TemporaryDosDevice(const TemporaryDosDevice&) = delete;
  TemporaryDosDevice& operator=(const TemporaryDosDevice&) = delete;
  ~TemporaryDosDevice() { Remove(); }

  // Defines name -> target; on failure nothing is remembered and GetLastError tells why.
  bool Define(const char* name, const char* target) {
    Remove();
    if (strlen(name) >= sizeof name_ || strlen(target) >= sizeof target_) {
      SetLastError(ERROR_BUFFER_OVERFLOW);
      return false;
    }
    if (!DefineDosDeviceA(DDD_RAW_TARGET_PATH, name, target)) return false;
    strcpy(name_, name);
    strcpy(target_, target);
    defined_ = true;
    return true;
  }

  // Removes the definition; returns false (GetLastError tells why) when the removal failed.
  bool Remove() {
    if (!defined_) return true;
    defined_ = false;
    return DefineDosDeviceA(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE,
                            name_, target_) != FALSE;
  }

 private:
  char name_[MAX_PATH] = {};
  char target_[MAX_PATH + 16] = {};
  bool defined_ = false;
};
