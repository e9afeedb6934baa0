// The process's own settings, made first thing in a run, before anything can show a box or load
// a DLL by its name.
#pragma once

#include <windows.h>

// Turns off the system's critical-error and open-file boxes, on top of the error mode the
// process was given, and narrows the search for the DLLs that system DLLs load by name: to the
// system directory where Windows offers that, else to the search without the current folder.
// The program's own loads go by full path (LoadSystemLibrary) and don't depend on it.
void PrepareProcess();

// The Windows version record, cleared, its size set to 148 (OSVERSIONINFOA) and asked for; where
// the query fails it stays cleared, so its platform id and version read 0.
void ReadWindowsVersion(OSVERSIONINFOA* version);
