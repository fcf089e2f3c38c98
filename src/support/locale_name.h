// The Java name of the user's locale, from the runtime's locale name ("English_United States.1252"
// or "en_US.UTF-8"), and the default encoding that goes with it.
#pragma once

struct NamePair {
  const char* name;
  const char* code;
};

// Runtime language and country names to Java codes, and Java locale names to encodings.
extern const NamePair languageNames[];
extern const NamePair countryNames[];
extern const NamePair localeEncodings[];

// Puts the runtime into the user's locale and returns its Java-style name ("en_US", "ja", "C").
const char* getLocaleName();
// The Java-style name for a runtime locale name, in a static buffer.
const char* javaLocaleName(const char* runtimeName);
// The code of the name in the table, matched exactly, else ignoring case; null when absent.
const char* lookupNamePair(const NamePair* table, const char* name);
// The Java name of the locale's default encoding ("UTF8" under a UTF-8 codeset).
const char* defaultEncoding();
