// vxbox.exe --caption TEXT [--timeout-ms N] [--hold-ms N]
//
// Reads and closes a message box for the acceptance tests. Waits (up to N ms, default 20000)
// for a visible dialog window (class #32770) titled TEXT on this desktop, prints
//   caption: <title>
//   text: <message, trailing line feeds removed, inner line feeds written as \n>
// on standard output, waits the hold time (default 0), presses OK by posting WM_COMMAND IDOK
// and waits up to 5 s for the box to go.
//
// Exit status: 0 box read and closed; 1 no such box in time; 2 bad arguments; 3 the box did
// not close.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMessageItem = 0xFFFF;  // the message box's static text
constexpr DWORD kPollMs = 20;
constexpr DWORD kCloseTimeoutMs = 5000;

bool ParseNumber(const char* text, DWORD* value) {
  char* end = nullptr;
  unsigned long number = std::strtoul(text, &end, 10);
  if (!*text || *end || text[0] == '-' || number > 0x7FFFFFFFul) return false;
  *value = static_cast<DWORD>(number);
  return true;
}

HWND FindBox(const char* caption) {
  HWND box = nullptr;
  while ((box = FindWindowExA(nullptr, box, "#32770", caption)) != nullptr) {
    if (IsWindowVisible(box)) return box;
  }
  return nullptr;
}

// Writes TEXT on one line: line feeds (LF or CR LF) at the end dropped, inner ones as \n.
void PrintOneLine(const char* text) {
  size_t length = std::strlen(text);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\r' && i + 1 < length && text[i + 1] == '\n') continue;
    if (text[i] == '\n') {
      std::fputs("\\n", stdout);
    } else {
      std::putchar(text[i]);
    }
  }
  std::putchar('\n');
}

}  // namespace

int main(int argc, char** argv) {
  const char* caption = nullptr;
  DWORD timeout_ms = 20000;
  DWORD hold_ms = 0;
  bool usable = true;
  for (int i = 1; i < argc && usable; i += 2) {
    if (i + 1 >= argc) {
      usable = false;
    } else if (std::strcmp(argv[i], "--caption") == 0) {
      caption = argv[i + 1];
    } else if (std::strcmp(argv[i], "--timeout-ms") == 0) {
      usable = ParseNumber(argv[i + 1], &timeout_ms);
    } else if (std::strcmp(argv[i], "--hold-ms") == 0) {
      usable = ParseNumber(argv[i + 1], &hold_ms);
    } else {
      usable = false;
    }
  }
  if (!usable || !caption) {
    std::fprintf(stderr, "usage: vxbox.exe --caption TEXT [--timeout-ms N] [--hold-ms N]\n");
    return 2;
  }

  _setmode(_fileno(stdout), _O_BINARY);  // lines end in a bare line feed
  // GetTickCount, not GetTickCount64, which Windows Server 2003 (and ReactOS) lacks: elapsed
  // times taken as differences stay right when the count wraps.
  DWORD start = GetTickCount();
  HWND box = FindBox(caption);
  while (!box) {
    if (GetTickCount() - start >= timeout_ms) {
      std::fprintf(stderr, "vxbox: no box with caption \"%s\"\n", caption);
      return 1;
    }
    Sleep(kPollMs);
    box = FindBox(caption);
  }

  char title[512] = "";
  char text[4096] = "";
  GetWindowTextA(box, title, sizeof title);
  GetDlgItemTextA(box, kMessageItem, text, sizeof text);
  std::printf("caption: %s\n", title);
  std::fputs("text: ", stdout);
  PrintOneLine(text);
  std::fflush(stdout);

  Sleep(hold_ms);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  DWORD close_start = GetTickCount();
  while (IsWindow(box)) {
    if (GetTickCount() - close_start >= kCloseTimeoutMs) {
      std::fprintf(stderr, "vxbox: box \"%s\" still open after OK\n", caption);
      return 3;
    }
    Sleep(kPollMs);
  }
  return 0;
}
