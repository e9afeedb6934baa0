// vxkeys.exe [--log FILE] [--settle-ms N] [--key-timeout-ms N] [--timeout-ms N] [--keys KEYS]
//            -- PROGRAM [ARGS...]
//
// Types keys into a console program for the acceptance tests: starts PROGRAM as its child on
// its own console, waits the settle time, writes each key of KEYS into the console input as a
// key-down and a key-up record, and passes the child's exit status through. KEYS: keys and
// steps separated by commas: one printable character, Enter, Esc, Up, Down, Left, Right, F1,
// Comma; wait:N (pause N ms); alive (log whether the child still runs).
//
// The log has one line per step and at the end: "alive 1|0", "typed TOKEN consumed 1|0",
// "timeout N" (the child was killed), "unread N" (console input records left), "exit STATUS".
// Exit status: the child's; 124 when it outlived --timeout-ms (default 30000) and was killed;
// 125 when vxkeys itself failed (arguments, keys it cannot type, no child).
//
// What Wine 8's console does with this (measured with keyecho.exe, see docs/test-tools.md):
// - Started from no terminal (streams on /dev/null, files or pipes) a process has no console:
//   CONIN$ is no console handle. Run again with CREATE_NO_WINDOW, it has a working console and
//   no window, and its child shares it. The second start costs about 0.2 s.
// - Records written with WriteConsoleInputA reach _kbhit and _getch, with or without a peek
//   first. Escape arrives as 27; Up, Down, Left, Right as 224 then 72, 80, 75, 77; F1 is
//   dropped by _getch. An arrow alone never makes _kbhit report: it is read with the next
//   character key.
// - _getch reads a key's key-down record and leaves its key-up unread until the next read, so
//   after a key the console holds one record, not none. A key counts as consumed once at most
//   one record is left.
// - Started from a terminal, the process has Wine's terminal console already; it is used as it
//   is, and the child writes to the terminal.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kExitTimeout = 124;
constexpr int kExitFailure = 125;
// Set in the environment of the copy of vxkeys that runs on a console of its own.
constexpr char kRelaunchMark[] = "VXKEYS_OWN_CONSOLE";

struct Options {
  const char* log = nullptr;
  DWORD settle_ms = 300;
  DWORD key_timeout_ms = 3000;
  DWORD timeout_ms = 30000;
  const char* keys = "";
  int program = 0;  // index in argv of PROGRAM
};

struct Key {
  WORD vk;
  WORD scan;
  char ch;
  DWORD state;
};

// One step of KEYS: a key, a pause or a look at the child.
struct Step {
  enum Kind { kKey, kWait, kAlive } kind;
  std::string token;
  Key key;
  DWORD wait_ms;
};

class Handle {
 public:
  explicit Handle(HANDLE h = nullptr) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~Handle() { if (h_) CloseHandle(h_); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  void reset(HANDLE h) { if (h_) CloseHandle(h_); h_ = h == INVALID_HANDLE_VALUE ? nullptr : h; }

 private:
  HANDLE h_;
};

// The log file: one line per event, written through at once (the harness reads it after a kill
// too). Not inheritable, so the child does not keep it open.
class Log {
 public:
  bool Open(const char* path) {
    file_.reset(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    return file_.get() != nullptr;
  }
  void Line(const char* format, ...) {
    if (!file_.get()) return;
    char line[256];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (length < 0) return;
    if (length > static_cast<int>(sizeof line) - 2) length = sizeof line - 2;
    line[length++] = '\n';
    DWORD written = 0;
    WriteFile(file_.get(), line, static_cast<DWORD>(length), &written, nullptr);
  }

 private:
  Handle file_;
};

// The United States layout: the characters of each row of keys without and with Shift, and the
// scan code of the row's first key.
struct KeyRow {
  const char* plain;
  const char* shifted;
  WORD first_scan;
};
constexpr KeyRow kRows[] = {
    {"1234567890-=", "!@#$%^&*()_+", 0x02},
    {"qwertyuiop[]", "QWERTYUIOP{}", 0x10},
    {"asdfghjkl;'`", "ASDFGHJKL:\"~", 0x1E},
    {"\\zxcvbnm,./", "|ZXCVBNM<>?", 0x2B},
    {" ", " ", 0x39},
};

WORD VirtualKeyOf(char plain) {
  if (plain >= '0' && plain <= '9') return static_cast<WORD>(plain);
  if (plain >= 'a' && plain <= 'z') return static_cast<WORD>(plain - 'a' + 'A');
  switch (plain) {
    case '-': return VK_OEM_MINUS;
    case '=': return VK_OEM_PLUS;
    case '[': return VK_OEM_4;
    case ']': return VK_OEM_6;
    case ';': return VK_OEM_1;
    case '\'': return VK_OEM_7;
    case '`': return VK_OEM_3;
    case '\\': return VK_OEM_5;
    case ',': return VK_OEM_COMMA;
    case '.': return VK_OEM_PERIOD;
    case '/': return VK_OEM_2;
    default: return VK_SPACE;
  }
}

struct NamedKey {
  const char* name;
  Key key;
};
constexpr NamedKey kNamedKeys[] = {
    {"Enter", {VK_RETURN, 0x1C, '\r', 0}},
    {"Esc", {VK_ESCAPE, 0x01, 27, 0}},
    {"Up", {VK_UP, 0x48, 0, ENHANCED_KEY}},
    {"Down", {VK_DOWN, 0x50, 0, ENHANCED_KEY}},
    {"Left", {VK_LEFT, 0x4B, 0, ENHANCED_KEY}},
    {"Right", {VK_RIGHT, 0x4D, 0, ENHANCED_KEY}},
    {"F1", {VK_F1, 0x3B, 0, 0}},
    {"Comma", {VK_OEM_COMMA, 0x33, ',', 0}},
};

bool LookUpKey(const std::string& token, Key* key) {
  for (const NamedKey& named : kNamedKeys) {
    if (token == named.name) {
      *key = named.key;
      return true;
    }
  }
  if (token.size() != 1 || token[0] == ',') return false;
  for (const KeyRow& row : kRows) {
    for (size_t i = 0; row.plain[i]; ++i) {
      bool shifted = token[0] == row.shifted[i] && token[0] != row.plain[i];
      if (token[0] != row.plain[i] && !shifted) continue;
      *key = {VirtualKeyOf(row.plain[i]), static_cast<WORD>(row.first_scan + i), token[0],
              shifted ? static_cast<DWORD>(SHIFT_PRESSED) : 0};
      return true;
    }
  }
  return false;
}

bool ParseNumber(const char* text, DWORD* value) {
  char* end = nullptr;
  unsigned long number = std::strtoul(text, &end, 10);
  if (!*text || *end || text[0] == '-' || number > 0x7FFFFFFFul) return false;
  *value = static_cast<DWORD>(number);
  return true;
}

bool ParseKeys(const char* keys, std::vector<Step>* steps) {
  const char* start = keys;
  while (*start) {
    const char* end = std::strchr(start, ',');
    std::string token(start, end ? end : start + std::strlen(start));
    Step step{Step::kKey, token, {}, 0};
    if (token == "alive") {
      step.kind = Step::kAlive;
    } else if (token.rfind("wait:", 0) == 0) {
      step.kind = Step::kWait;
      if (!ParseNumber(token.c_str() + 5, &step.wait_ms)) return false;
    } else if (!LookUpKey(token, &step.key)) {
      return false;
    }
    steps->push_back(step);
    if (!end) break;
    start = end + 1;
  }
  return true;
}

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--") == 0) {
      options->program = i + 1;
      return options->program < argc;
    }
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (std::strcmp(arg, "--log") == 0) {
      options->log = value;
    } else if (std::strcmp(arg, "--keys") == 0) {
      options->keys = value;
    } else if (std::strcmp(arg, "--settle-ms") == 0) {
      if (!ParseNumber(value, &options->settle_ms)) return false;
    } else if (std::strcmp(arg, "--key-timeout-ms") == 0) {
      if (!ParseNumber(value, &options->key_timeout_ms)) return false;
    } else if (std::strcmp(arg, "--timeout-ms") == 0) {
      if (!ParseNumber(value, &options->timeout_ms)) return false;
    } else {
      return false;
    }
  }
  return false;
}

// Appends ARG to a command line so that the child's C runtime splits it back into the same
// argument: quoted when needed, backslashes doubled only before a quote.
void AppendArgument(std::string* line, const char* arg) {
  if (!line->empty()) *line += ' ';
  if (*arg && !std::strpbrk(arg, " \t\n\v\"")) {
    *line += arg;
    return;
  }
  *line += '"';
  for (const char* p = arg;; ++p) {
    size_t backslashes = 0;
    while (*p == '\\') {
      ++backslashes;
      ++p;
    }
    if (!*p) {
      line->append(backslashes * 2, '\\');
      break;
    }
    line->append(*p == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    *line += *p;
  }
  *line += '"';
}

HANDLE InheritableStdHandle(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  if (handle && handle != INVALID_HANDLE_VALUE) {
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
  return handle;
}

// Starts COMMAND_LINE with the given standard handles; the other inheritable handles go along.
bool Start(const std::string& command_line, HANDLE input, DWORD flags, Handle* process) {
  if (command_line.size() >= 32767) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = InheritableStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = InheritableStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                      &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  process->reset(info.hProcess);
  return true;
}

bool Exited(const Handle& process) { return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0; }

// Waits until the key's key-down record has been read: then at most its own key-up record is
// left (C runtimes read key-ups only on their next read), or the child exited, or time ran out.
bool WaitConsumed(HANDLE input, const Handle& child, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD unread = 0;
    if (!GetNumberOfConsoleInputEvents(input, &unread)) return false;
    if (unread <= 1) return true;
    if (Exited(child) || GetTickCount() - start >= timeout_ms) return false;
    Sleep(5);
  }
}

bool Type(HANDLE input, const Key& key) {
  INPUT_RECORD records[2] = {};
  for (int i = 0; i < 2; ++i) {
    records[i].EventType = KEY_EVENT;
    KEY_EVENT_RECORD& event = records[i].Event.KeyEvent;
    event.bKeyDown = i == 0;
    event.wRepeatCount = 1;
    event.wVirtualKeyCode = key.vk;
    event.wVirtualScanCode = key.scan;
    event.uChar.AsciiChar = key.ch;
    event.dwControlKeyState = key.state;
  }
  DWORD written = 0;
  return WriteConsoleInputA(input, records, 2, &written) && written == 2;
}

// Without a working console (a start from a pipe under Wine): run this same command line again
// as a child with CREATE_NO_WINDOW, which gets a console of its own without a window, and pass
// its exit status through. The standard handles go to it unchanged.
int RunOnOwnConsole(const Options& options) {
  SetEnvironmentVariableA(kRelaunchMark, "1");
  Handle self;
  if (!Start(GetCommandLineA(), InheritableStdHandle(STD_INPUT_HANDLE), CREATE_NO_WINDOW, &self)) {
    std::fprintf(stderr, "vxkeys: cannot start itself on a console (error %lu)\n", GetLastError());
    return kExitFailure;
  }
  // The copy enforces the timeout itself; this bound only guards against a copy that hangs.
  DWORD bound = options.timeout_ms + 15000;
  if (WaitForSingleObject(self.get(), bound) != WAIT_OBJECT_0) {
    TerminateProcess(self.get(), kExitTimeout);
    std::fprintf(stderr, "vxkeys: no answer from the copy on its own console; killed\n");
    return kExitTimeout;
  }
  DWORD status = kExitFailure;
  GetExitCodeProcess(self.get(), &status);
  return static_cast<int>(status);
}

int Drive(char** argv, const Options& options, const std::vector<Step>& steps, HANDLE input) {
  Log log;
  if (options.log && !log.Open(options.log)) {
    std::fprintf(stderr, "vxkeys: cannot write the log %s\n", options.log);
    return kExitFailure;
  }
  std::string command_line;
  for (int i = options.program; argv[i]; ++i) AppendArgument(&command_line, argv[i]);
  Handle child;
  SetEnvironmentVariableA(kRelaunchMark, nullptr);
  if (!Start(command_line, input, 0, &child)) {
    std::fprintf(stderr, "vxkeys: cannot start %s (error %lu)\n", argv[options.program],
                 GetLastError());
    log.Line("exit %d", kExitFailure);
    return kExitFailure;
  }
  // GetTickCount, not GetTickCount64, which Windows Server 2003 (and ReactOS) lacks: elapsed
  // times taken as differences stay right when the count wraps.
  DWORD start = GetTickCount();
  auto remaining = [&start, &options](DWORD wanted) -> DWORD {
    DWORD elapsed = GetTickCount() - start;
    DWORD left = elapsed < options.timeout_ms ? options.timeout_ms - elapsed : 0;
    return left < wanted ? left : wanted;
  };

  Sleep(remaining(options.settle_ms));
  for (const Step& step : steps) {
    if (step.kind == Step::kWait) {
      Sleep(remaining(step.wait_ms));
    } else if (step.kind == Step::kAlive) {
      log.Line("alive %d", Exited(child) ? 0 : 1);
    } else {
      bool consumed = Type(input, step.key) &&
                      WaitConsumed(input, child, remaining(options.key_timeout_ms));
      log.Line("typed %s consumed %d", step.token.c_str(), consumed ? 1 : 0);
    }
  }

  int status = kExitTimeout;
  if (WaitForSingleObject(child.get(), remaining(INFINITE - 1)) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(child.get(), &code);
    status = static_cast<int>(code);
  } else {
    TerminateProcess(child.get(), kExitTimeout);
    WaitForSingleObject(child.get(), 5000);
    std::fprintf(stderr, "vxkeys: %s still running after %lu ms; killed\n",
                 argv[options.program], options.timeout_ms);
    log.Line("timeout %lu", options.timeout_ms);
  }
  DWORD unread = 0;
  GetNumberOfConsoleInputEvents(input, &unread);
  log.Line("unread %lu", unread);
  log.Line("exit %d", status);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::vector<Step> steps;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: vxkeys.exe [--log FILE] [--settle-ms N] [--key-timeout-ms N] "
                 "[--timeout-ms N] [--keys KEYS] -- PROGRAM [ARGS...]\n");
    return kExitFailure;
  }
  if (!ParseKeys(options.keys, &steps)) {
    std::fprintf(stderr, "vxkeys: cannot read the keys \"%s\"\n", options.keys);
    return kExitFailure;
  }

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  Handle input(CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                           nullptr));
  DWORD mode = 0;
  if (!input.get() || !GetConsoleMode(input.get(), &mode)) {
    char mark[4];
    if (GetEnvironmentVariableA(kRelaunchMark, mark, sizeof mark) != 0) {
      std::fprintf(stderr, "vxkeys: no console input even on a console of its own\n");
      return kExitFailure;
    }
    return RunOnOwnConsole(options);
  }
  return Drive(argv, options, steps, input.get());
}
