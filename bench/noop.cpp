// noop.exe: a console program that returns 0 at once; the cost of starting a process at all.

int main() { return 0; }
