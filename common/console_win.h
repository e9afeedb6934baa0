// Waiting for a key at the console keyboard.
#pragma once

// Waits until a key is waiting at the console keyboard, without reading it (the key stays for
// _getch). Returns false at once, without waiting, when the process has no console input.
//
// The wait polls _kbhit with a short pause, so it costs no processor time and a key still
// answers at once. Before the first poll it peeks at the console input once: some consoles
// (Wine's, started from a terminal) only begin to deliver typed keys after a peek or a read.
bool WaitForKey();
