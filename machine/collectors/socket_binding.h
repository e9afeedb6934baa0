// Windows Sockets, loaded at run time from the system's "wsock32.dll" on first use and kept
// for the life of the process.
#pragma once

constexpr int kSocketBindingFailed = -2;

// Loads the library and looks up its entry points (once it has loaded), then starts Windows
// Sockets 1.1. Returns 0, or -2 when the library didn't load or an entry point is missing.
int BindSocketLibrary();

// The entry points the program calls. Each binds the library first when it isn't bound yet,
// and returns -1 without calling anything when its entry point is missing.
int SocketGetHostName(char* name, int size);
int SocketStartup(unsigned short version, void* startupData);   // WSADATA
