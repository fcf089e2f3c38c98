// The passes over the recorded source files that the driver runs before the class passes.
#pragma once

struct Token;

// Parses the declarations of every source file, in the order recorded.
void parseAllFiles();
// -scanonly: scans every file and parses nothing; with echoTokens each token is printed at its place.
void scanOnlyFiles();
void echoToken(const Token* token);
