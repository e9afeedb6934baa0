// The user at this run's console and desktop: whether anyone can see the run and answer it,
// and waiting for a key at the console keyboard.
#pragma once

// Whether a user can see this run: false when its window station is not visible (a service,
// a scheduled task that runs whether the user is logged on or not, a remote run as SYSTEM), or
// when it runs in session 0 of Windows Vista or later (services, startup scripts), where nobody
// can read a message box or type at the console. Asked once per run (common/attendance.h
// decides); what can't be asked counts as seen.
bool IsRunSeenByUser();

// Whether a user can answer this run at the console keyboard: it has console input, and a
// user can see it.
bool CanAnswerAtConsole();

// Waits until a key is waiting at the console keyboard, without reading it (the key stays for
// _getch). Returns false at once, without waiting, when nobody can answer (CanAnswerAtConsole).
//
// The wait polls _kbhit with a short pause, so it costs no processor time and a key still
// answers at once. Before the first poll it peeks at the console input once: some consoles
// (Wine's, started from a terminal) only begin to deliver typed keys after a peek or a read.
bool WaitForKey();
