// The encodings of a compile (the "-encoding" check), and conversions between 16-bit characters and
// host multibyte text or escaped ASCII, with the warnings for text that does not convert.
#pragma once

#include <cstdint>

struct SourceFile;

// The encodings of a compile: the locale's (first, its default when null) and the sources' (second,
// the first when null). Sources in another encoding that the host converts are converted to UTF-8
// when read (global.sourceConversion); a name the host does not know is the error
// "encoding.limit", and the sources are then read in the locale's encoding.
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
// The printable character of the host codeset at p (at most `available` bytes): the bytes it takes
// and, in `columns`, the terminal columns it fills; 0 for an undecodable sequence, a control
// character, or any byte above 0x7F under the plain C locale, which has no such characters.
int32_t printableNativeCharacter(const char* p, int32_t available, int32_t* columns);
// As printableNativeCharacter for the UTF-8 character at p: its form in the host codeset goes
// into `bytes` (room for MB_LEN_MAX), its length into `length`; 0 also when the codeset lacks it.
int32_t printableUtf8Character(const char* p, int32_t available, char* bytes, int32_t* length, int32_t* columns);

// Text in the named encoding converted to the locale's codeset, in a heap block of its own
// (NUL-terminated, its length in `convertedLength`); a character the codeset lacks becomes its
// nearest form or "?". Null when the runtime knows no conversion from that encoding, and under
// the plain C locale, whose codeset has no characters above 0x7F to convert to; out of memory
// stops the compile.
char* convertToHostEncoding(const char* text, int32_t length, const char* encoding, int32_t* convertedLength);
// True when the two encoding names mean the same ("UTF-8", "utf8").
bool sameEncodingName(const char* a, const char* b);

// The host converter's name for an encoding as Java names it, by any alias and case ("Cp1252",
// "windows-1252", "ISO8859_1", "latin1", "KSC5601"), in the main arena; null when the host cannot
// convert from it to UTF-8.
const char* hostEncodingName(const char* name);
// The byte that stands in converted source text for a sequence that is no character of the
// source's encoding: it is never part of UTF-8, so the scanner reports it where it stands.
constexpr unsigned char INVALID_UTF8_BYTE = 0xFF;
// Source text in the encoding (a host converter's name) as UTF-8 in the main arena, followed by a
// zero byte, its length in `convertedLength`; each sequence that is no character of the encoding
// becomes INVALID_UTF8_BYTE. Out of memory stops the compile.
char* convertSourceToUtf8(const char* text, int32_t length, const char* encoding, int32_t* convertedLength);
// Decodes the UTF-8 character at p as decodeNativeCharacter does, whatever the locale: -1 for a
// sequence that is not UTF-8 (overlong forms and surrogates included).
int32_t decodeUtf8Character(const char* p, int32_t available, char16_t units[2], int32_t* unitCount);
// The locale's codeset as the runtime names it ("UTF-8", "ISO-8859-1", "ANSI_X3.4-1968").
const char* hostCodesetName();

// Where the scanner stands, for the conversion warnings, which have no position of their own: the
// line of its current token, and whether that token is in the text of the file asked about. The
// scanner installs the hook when it is first set up or set on a text; until then there is no line.
struct ScanPosition {
  int32_t line;
  bool inFile;
};
using ScanPositionHook = ScanPosition (*)(const SourceFile* file);
void setScanPositionHook(ScanPositionHook hook);

int32_t unicodeToNative(const char16_t* source, int32_t n, char* destination, int32_t size);
// "warn.wcstombs.error" for the escaped form of text that cannot be converted, once per text in a
// compile.
void warnUnconvertibleOnce(const char* escaped);
int32_t unicodeToEscapedAscii(const char16_t* source, int32_t n, char* destination, int32_t size);
int32_t nativeToUnicode(const char* source, int32_t n, char16_t* destination, int32_t capacity);
// Text in the named encoding as UTF-16 (at most `capacity` units; the count is returned): a
// message file's texts that the locale's codeset could not take. A sequence that is no character
// of the encoding is read as the host reads it, as the arguments put into a message were made; an
// encoding the runtime does not know reads as the host's throughout. Nothing is reported.
int32_t encodedToUnicode(const char* source, int32_t n, const char* encoding, char16_t* destination,
                         int32_t capacity);
int32_t escapeNonPrintable(const char* source, int32_t n, char* destination, int32_t size);
int32_t utf8ToUnicode(const char* source, int32_t n, char16_t* destination, int32_t capacity);
