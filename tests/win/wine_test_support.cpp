#include "wine_test_support.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

std::string TemporaryFilePath() {
  char directory[MAX_PATH];
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, directory);
  GetTempFileNameA(directory, "vxt", 0, path);
  return path;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The files are in text mode, as the program's streams are: every line feed was written as a
// carriage return and line feed. The tests compare with the program's own format strings.
std::string WithLineFeeds(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result += text[i];
  }
  return result;
}

std::string ReadString(HKEY key, const char* name, DWORD* type) {
  char buf[1024] = {};
  DWORD size = sizeof buf - 1;
  if (RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(buf), &size) != 0) {
    return "";
  }
  return std::string(buf, strnlen(buf, size));
}

}  // namespace

CapturedStreams::CapturedStreams() {
  fflush(stdout);
  fflush(stderr);
  pathOut_ = TemporaryFilePath();
  pathErr_ = TemporaryFilePath();
  fileOut_ = _open(pathOut_.c_str(), _O_WRONLY | _O_TRUNC | _O_TEXT);
  fileErr_ = _open(pathErr_.c_str(), _O_WRONLY | _O_TRUNC | _O_TEXT);
  savedOut_ = _dup(1);
  savedErr_ = _dup(2);
  _dup2(fileOut_, 1);
  _dup2(fileErr_, 2);
}

void CapturedStreams::Stop() {
  if (savedOut_ < 0) return;
  fflush(stdout);
  fflush(stderr);
  _dup2(savedOut_, 1);
  _dup2(savedErr_, 2);
  _close(savedOut_);
  _close(savedErr_);
  _close(fileOut_);
  _close(fileErr_);
  savedOut_ = savedErr_ = -1;
  out = WithLineFeeds(ReadWholeFile(pathOut_));
  err = WithLineFeeds(ReadWholeFile(pathErr_));
  DeleteFileA(pathOut_.c_str());
  DeleteFileA(pathErr_.c_str());
}

CapturedStreams::~CapturedStreams() { Stop(); }

std::vector<NetworkCard> ReadNetworkCards() {
  std::vector<NetworkCard> cards;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetworkCards, 0, KEY_READ, &key) != 0) return cards;
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD length = sizeof name;
    LONG result = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != 0) continue;
    NetworkCard card;
    card.subkey = name;
    HKEY subkey;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &subkey) == 0) {
      card.serviceName = ReadString(subkey, "ServiceName", &card.serviceType);
      DWORD type = 0;
      card.description = ReadString(subkey, "Description", &type);
      RegCloseKey(subkey);
    }
    cards.push_back(card);
  }
  RegCloseKey(key);
  return cards;
}

ScopedCardSubkey::ScopedCardSubkey(const std::string& name, const std::string& serviceName,
                                   DWORD type, bool withServiceName)
    : name_(name) {
  std::string path = std::string(kNetworkCards) + "\\" + name;
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0) {
    return;
  }
  if (withServiceName) {
    RegSetValueExA(key, "ServiceName", 0, type,
                   reinterpret_cast<const BYTE*>(serviceName.c_str()),
                   static_cast<DWORD>(serviceName.size() + 1));
  }
  std::string description = "test card " + name;
  RegSetValueExA(key, "Description", 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(description.c_str()),
                 static_cast<DWORD>(description.size() + 1));
  RegCloseKey(key);
}

ScopedCardSubkey::~ScopedCardSubkey() {
  std::string path = std::string(kNetworkCards) + "\\" + name_;
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

const char* const kStoredValues[] = {"ServiceName", "PermanentAddress"};

SavedDefaultAdapter::SavedDefaultAdapter() {
  HKEY key;
  hadParent_ = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOrlenk, 0, KEY_READ | kDefaultAdapterView,
                             &key) == 0;
  if (hadParent_) RegCloseKey(key);
  hadKey_ = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQuarvel, 0, KEY_READ | kDefaultAdapterView,
                          &key) == 0;
  for (int i = 0; hadKey_ && i < 2; ++i) {
    BYTE buf[4096];
    DWORD size = sizeof buf;
    values_[i].had =
        RegQueryValueExA(key, kStoredValues[i], nullptr, &values_[i].type, buf, &size) == 0;
    if (values_[i].had) values_[i].data.assign(buf, buf + size);
  }
  if (hadKey_) RegCloseKey(key);
}

SavedDefaultAdapter::~SavedDefaultAdapter() {
  if (!hadKey_) {
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kQuarvel, kDefaultAdapterView, 0);
    if (!hadParent_) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kOrlenk, kDefaultAdapterView, 0);
    return;
  }
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQuarvel, 0, KEY_ALL_ACCESS | kDefaultAdapterView,
                    &key) != 0) {
    return;
  }
  for (int i = 0; i < 2; ++i) {
    if (!values_[i].had) {
      RegDeleteValueA(key, kStoredValues[i]);
    } else {
      RegSetValueExA(key, kStoredValues[i], 0, values_[i].type, values_[i].data.data(),
                     static_cast<DWORD>(values_[i].data.size()));
    }
  }
  RegCloseKey(key);
}

void ClearStoredDefault() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQuarvel, 0, KEY_ALL_ACCESS | kDefaultAdapterView,
                    &key) != 0) {
    return;
  }
  for (const char* name : kStoredValues) RegDeleteValueA(key, name);
  RegCloseKey(key);
}

void WriteStoredDefault(const void* data, DWORD size, DWORD type) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kQuarvel, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS | kDefaultAdapterView, nullptr, &key, nullptr) != 0) {
    return;
  }
  RegSetValueExA(key, "ServiceName", 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

std::optional<std::vector<unsigned char>> ReadLinuxInterfaceAddress(const std::string& name) {
  if (name.empty() || name.find_first_of("\\/:") != std::string::npos) return std::nullopt;
  std::ifstream in("Z:\\sys\\class\\net\\" + name + "\\address");
  std::string text;
  if (!(in >> text)) return std::nullopt;
  std::vector<unsigned char> address;
  unsigned int bytes[6];
  if (sscanf(text.c_str(), "%x:%x:%x:%x:%x:%x", &bytes[0], &bytes[1], &bytes[2], &bytes[3],
             &bytes[4], &bytes[5]) != 6) {
    return std::nullopt;
  }
  for (unsigned int byte : bytes) address.push_back(static_cast<unsigned char>(byte));
  return address;
}

std::optional<NetworkCard> FindUsableRealCard() {
  for (const NetworkCard& card : ReadNetworkCards()) {
    auto address = ReadLinuxInterfaceAddress(card.description);
    if (address && ((*address)[3] | (*address)[4] | (*address)[5]) != 0) return card;
  }
  return std::nullopt;
}

int CountOccurrences(const std::string& text, const std::string& piece) {
  int count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}
