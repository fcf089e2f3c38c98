// The locale's name and default encoding, the "-encoding" check, and conversions between 16-bit
// characters and host multibyte text or escaped ASCII.
#pragma once

#include <cstdint>

struct NamePair {
  const char* name;
  const char* code;
};

extern const NamePair languageNames[];
extern const NamePair countryNames[];
extern const NamePair localeEncodings[];

// Puts the runtime into the user's locale and returns its Java-style name ("en_US", "ja", "C").
const char* getLocaleName();
// The Java-style name for a runtime locale name, in a static buffer.
const char* javaLocaleName(const char* runtimeName);
const char* lookupNamePair(const NamePair* table, const char* name);
// The Java name of the locale's default encoding ("UTF8" under a UTF-8 codeset).
const char* defaultEncoding();
void setEncodings(const char* first, const char* second);
void resetEncodings();

// True when the locale's codeset is UTF-8; bytes of the plain C locale decode as ISO-8859-1.
bool codesetIsUtf8();

// Decodes the character at p (at most `available` bytes) into one or two UTF-16 units; returns the
// bytes it took, 0 at a NUL byte, -1 for a sequence the codeset cannot decode.
int32_t decodeNativeCharacter(const char* p, int32_t available, char16_t units[2], int32_t* unitCount);

// The text in the host encoding, NUL-terminated, its length in *converted; false, with nothing
// reported, when a character has no form there or the result does not fit.
bool convertToNative(const char16_t* source, int32_t n, char* destination, int32_t size, int32_t* converted);
// As convertToNative; text that cannot be converted becomes its escaped form (cut to the size)
// with a warning, and the result is 0, or -1 when even the escaped form does not fit.
int32_t unicodeToNative(const char16_t* source, int32_t n, char* destination, int32_t size);
// "warn.wcstombs.error" for the escaped form of text that cannot be converted, once per text in a
// compile.
void warnUnconvertibleOnce(const char* escaped);
int32_t unicodeToEscapedAscii(const char16_t* source, int32_t n, char* destination, int32_t size);
int32_t nativeToUnicode(const char* source, int32_t n, char16_t* destination, int32_t capacity);
int32_t sourceToUnicode(const char* source, int32_t n, char16_t* destination, int32_t capacity);
int32_t escapeNonPrintable(const char* source, int32_t n, char* destination, int32_t size);
int32_t utf8ToUnicode(const char* source, int32_t n, char16_t* destination, int32_t capacity);
