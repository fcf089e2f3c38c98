// Argument files ("@name") on the command line.
#pragma once

// Replaces each argument "@name" by the arguments the file holds, in place, options and source
// names alike; "@@name" stands for the argument "@name", and "@" alone for itself. False after the
// error "cannot.read.argfile" for a file that cannot be read; the arguments are then left as
// they were.
bool expandArgumentFiles(int* count, char*** arguments);
