#pragma once

// The whole start of the program in its three roles (waker of a running copy, installer of a
// downloaded update, the program itself); returns the process exit code.
int runGlimra(int argc, char **argv);
