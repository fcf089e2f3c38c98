// The front end of gorblet: options, the loop over the files named on the command line, and the
// exit status.
#pragma once

// Returns the exit status: 1 when anything failed on any file, else 0. Usage errors and reads past
// the end of a file exit the process at once with status 1.
int dumpMain(int argc, char** argv);
// Reads one file whole and prints it; failures set the error flag and the next file follows.
void dumpFile(const char* name);
