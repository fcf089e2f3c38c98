// Conversions between UTF-16 and the host's multibyte text. Characters decode one at a time with
// mbrtowc under the locale's codeset; the plain C locale reads bytes as ISO-8859-1; characters
// beyond the 16-bit range become surrogate pairs, made and joined here. Sources in an encoding
// other than the locale's are converted to UTF-8 with the host's converter (iconv) when read.
#include "support/encodings.h"

#include <iconv.h>
#include <langinfo.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>

#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/fatal_stops.h"
#include "support/global.h"
#include "support/locale_name.h"
#include "support/multibyte_strings.h"
#include "support/source_file.h"

namespace {

enum Codeset { CODESET_UNKNOWN, CODESET_UTF8, CODESET_LATIN1, CODESET_OTHER };

Codeset codeset() {
  const char* name = nl_langinfo(CODESET);
  if (name == nullptr) return CODESET_LATIN1;
  if (std::strcmp(name, "UTF-8") == 0) return CODESET_UTF8;
  if (std::strcmp(name, "ANSI_X3.4-1968") == 0 || std::strcmp(name, "ASCII") == 0) return CODESET_LATIN1;
  return CODESET_OTHER;
}

ScanPositionHook scanPositionHook;

// A code point as one UTF-16 unit, or as a surrogate pair beyond the 16-bit range.
void setUtf16Units(uint32_t value, char16_t units[2], int32_t* unitCount) {
  if (value >= 0x10000) {
    value -= 0x10000;
    units[0] = static_cast<char16_t>(0xD800 + (value >> 10));
    units[1] = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
    *unitCount = 2;
  } else {
    units[0] = static_cast<char16_t>(value);
    *unitCount = 1;
  }
}

// The code point of the UTF-8 character at p in `value`; returns the bytes it takes, 0 at a NUL
// byte, -1 for a sequence that is not UTF-8 (overlong forms and surrogates included).
int32_t utf8CodePoint(const char* p, int32_t available, uint32_t* value) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(p);
  if (available < 1 || bytes[0] == 0) return 0;
  uint32_t lead = bytes[0];
  int32_t length;
  uint32_t least;  // the smallest value of that length: a longer form is invalid
  if (lead < 0x80) {
    *value = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, *value = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, *value = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, *value = lead & 0x07, least = 0x10000;
  } else {
    return -1;
  }
  if (available < length) return -1;
  for (int32_t i = 1; i < length; i++) {
    if ((bytes[i] & 0xC0) != 0x80) return -1;
    *value = (*value << 6) | (bytes[i] & 0x3F);
  }
  if (*value < least || *value > 0x10FFFF || (*value >= 0xD800 && *value <= 0xDFFF)) return -1;
  return length;
}

ScanPosition scanPosition(const SourceFile* file) {
  return scanPositionHook != nullptr ? scanPositionHook(file) : ScanPosition{0, false};
}

uint32_t textHash(const char* text) {
  uint32_t hash = 2166136261u;
  for (const char* p = text; *p != '\0'; p++) hash = (hash ^ static_cast<unsigned char>(*p)) * 16777619u;
  return hash;
}

// False when the text was remembered before; the set is an open hash table in the main arena,
// so a compile with many unconvertible names stays linear.
bool rememberWarnedText(const char* text) {
  if (2 * (global.warnedTextCount + 1) > global.warnedTextCapacity) {
    int32_t capacity = global.warnedTextCapacity > 0 ? 2 * global.warnedTextCapacity : 16;
    auto** slots = arenaNewArray<char*>(&global.mainArena, capacity);
    for (int32_t i = 0; i < global.warnedTextCapacity; i++) {
      char* kept = global.warnedTexts[i];
      if (kept == nullptr) continue;
      uint32_t at = textHash(kept) & (capacity - 1);
      while (slots[at] != nullptr) at = (at + 1) & (capacity - 1);
      slots[at] = kept;
    }
    global.warnedTexts = slots;
    global.warnedTextCapacity = capacity;
  }
  uint32_t mask = static_cast<uint32_t>(global.warnedTextCapacity - 1);
  uint32_t at = textHash(text) & mask;
  for (; global.warnedTexts[at] != nullptr; at = (at + 1) & mask)
    if (std::strcmp(global.warnedTexts[at], text) == 0) return false;
  global.warnedTexts[at] = mainArenaCopy(text);
  global.warnedTextCount++;
  return true;
}

}  // namespace

bool codesetIsUtf8() {
  return codeset() == CODESET_UTF8;
}

void setEncodings(const char* first, const char* second) {
  if (first == nullptr) first = defaultEncoding();
  if (second == nullptr) second = first;
  global.defaultEncoding = first;
  global.sourceConversion = nullptr;
  // The locale's own encoding, by its Java name or the runtime's, is decoded as it stands; any
  // other that the host converts is converted to UTF-8 as each file is read.
  if (sameEncodingName(first, second) || sameEncodingName(second, hostCodesetName())) return;
  global.sourceConversion = hostEncodingName(second);
  if (global.sourceConversion == nullptr) errorInFile(nullptr, 0, 0, "encoding.limit", second, first);
}

void resetEncodings() {
  global.defaultEncoding = nullptr;
  global.sourceEncoding = nullptr;
  global.sourceConversion = nullptr;
}

int32_t decodeNativeCharacter(const char* p, int32_t available, char16_t units[2], int32_t* unitCount) {
  unsigned char byte = static_cast<unsigned char>(*p);
  *unitCount = 1;
  if (byte == 0) return 0;
  if (byte < 0x80) {
    units[0] = byte;
    return 1;
  }
  Codeset kind = codeset();
  if (kind == CODESET_LATIN1) {
    units[0] = byte;
    return 1;
  }
  std::mbstate_t state{};
  wchar_t wide;
  size_t n = std::mbrtowc(&wide, p, available, &state);
  if (n == 0) return 0;
  if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) return -1;
  uint32_t value = static_cast<uint32_t>(wide);
  if (value > 0x10FFFF) return -1;
  setUtf16Units(value, units, unitCount);
  return static_cast<int32_t>(n);
}

int32_t printableNativeCharacter(const char* p, int32_t available, int32_t* columns) {
  unsigned char byte = static_cast<unsigned char>(*p);
  *columns = 1;
  if (available < 1 || byte == 0) return 0;
  if (byte < 0x80) return std::isprint(byte) ? 1 : 0;
  if (codeset() == CODESET_LATIN1) return 0;
  std::mbstate_t state{};
  wchar_t wide;
  size_t n = std::mbrtowc(&wide, p, available, &state);
  if (n == 0 || n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2) || !std::iswprint(wide)) return 0;
  int width = ::wcwidth(wide);
  *columns = width < 0 ? 1 : width;
  return static_cast<int32_t>(n);
}

int32_t printableUtf8Character(const char* p, int32_t available, char* bytes, int32_t* length, int32_t* columns) {
  uint32_t value = 0;
  int32_t taken = utf8CodePoint(p, available, &value);
  if (taken <= 0) return 0;
  wchar_t wide = static_cast<wchar_t>(value);
  if (!std::iswprint(wide)) return 0;
  std::mbstate_t state{};
  size_t n = std::wcrtomb(bytes, wide, &state);
  if (n == static_cast<size_t>(-1)) return 0;
  int width = ::wcwidth(wide);
  *length = static_cast<int32_t>(n);
  *columns = width < 0 ? 1 : width;
  return taken;
}

const char* hostCodesetName() {
  const char* name = nl_langinfo(CODESET);
  return name != nullptr ? name : "ANSI_X3.4-1968";
}

bool sameEncodingName(const char* a, const char* b) {
  auto next = [](const char*& p) {
    while (*p == '-' || *p == '_') p++;
    return std::tolower(static_cast<unsigned char>(*p));
  };
  for (;; a++, b++) {
    int x = next(a);
    int y = next(b);
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

namespace {

// The text through the converter into a heap block of its own, NUL-terminated. A run of bytes that
// are no character of the source encoding becomes one byte `invalid`, and so does a character cut
// off by the end of the text; null when memory runs out.
char* convertWith(iconv_t converter, const char* text, int32_t length, char invalid, int32_t* convertedLength) {
  // Room for four bytes per input byte suffices for every codeset the runtime offers; the block
  // grows anyway when a conversion runs out of it.
  size_t capacity = 4 * static_cast<size_t>(length) + 16;
  char* out = static_cast<char*>(heapAllocate(capacity));
  char* in = const_cast<char*>(text);
  size_t inLeft = static_cast<size_t>(length);
  size_t used = 0;
  size_t invalidEnd = SIZE_MAX;  // where the last `invalid` byte written ends
  while (out != nullptr && inLeft > 0) {
    char* to = out + used;
    size_t outLeft = capacity - used - 1;
    size_t result = iconv(converter, &in, &inLeft, &to, &outLeft);
    used = to - out;
    if (result != static_cast<size_t>(-1)) break;
    if (errno == E2BIG || capacity - used < 2) {
      capacity *= 2;
      char* grown = static_cast<char*>(heapReallocate(out, capacity));
      if (grown == nullptr) std::free(out);
      out = grown;
      continue;
    }
    // A run of bytes that are no characters stands as one.
    if (used != invalidEnd) out[used++] = invalid;
    invalidEnd = used;
    if (errno == EINVAL) break;  // an incomplete character at the end
    in++;
    inLeft--;
  }
  // A text that grew past what a length can hold is as much memory as there is.
  if (out != nullptr && used > INT32_MAX - 16) {
    std::free(out);
    out = nullptr;
  }
  if (out == nullptr) return nullptr;
  out[used] = '\0';
  *convertedLength = static_cast<int32_t>(used);
  return out;
}

// Java's names for encodings that the host spells otherwise, beyond what the rules of
// hostEncodingName cover.
const char* const encodingAliases[][2] = {
    {"KSC5601", "EUC-KR"},         {"KS_C_5601-1987", "EUC-KR"}, {"MacRoman", "MACINTOSH"},
    {"UnicodeBigUnmarked", "UTF-16BE"}, {"UnicodeLittleUnmarked", "UTF-16LE"}, {"MS874", "CP874"},
    {"windows-874", "CP874"},
};

bool convertsToUtf8(const char* name) {
  iconv_t converter = iconv_open("UTF-8", name);
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(converter);
  return true;
}

}  // namespace

char* convertToHostEncoding(const char* text, int32_t length, const char* encoding, int32_t* convertedLength) {
  if (codeset() == CODESET_LATIN1) return nullptr;
  std::string target = std::string(hostCodesetName()) + "//TRANSLIT";
  iconv_t converter = iconv_open(target.c_str(), encoding);
  if (converter == reinterpret_cast<iconv_t>(-1)) return nullptr;
  char* out = convertWith(converter, text, length, '?', convertedLength);
  iconv_close(converter);
  if (out == nullptr) outOfMemory();
  return out;
}

const char* hostEncodingName(const char* name) {
  // Only the characters of Java's encoding names: the host's converter would take a suffix such
  // as "//IGNORE", and the empty name for the locale's own codeset.
  if (name == nullptr || name[0] == '\0' || std::strlen(name) > 64) return nullptr;
  for (const char* p = name; *p != '\0'; p++)
    if (!std::isalnum(static_cast<unsigned char>(*p)) && std::strchr("-_.:+", *p) == nullptr) return nullptr;
  // Java's "x-" prefix of encodings beyond the standard set; "_" where the host has "-".
  std::string tried = name;
  if (tried.size() > 2 && (tried[0] == 'x' || tried[0] == 'X') && tried[1] == '-') tried.erase(0, 2);
  for (const auto& alias : encodingAliases)
    if (stringsEqualIgnoreCase(tried.c_str(), alias[0])) tried = alias[1];
  if (convertsToUtf8(tried.c_str())) return mainArenaCopy(tried.c_str());
  for (char& c : tried)
    if (c == '_') c = '-';
  return convertsToUtf8(tried.c_str()) ? mainArenaCopy(tried.c_str()) : nullptr;
}

namespace {

// How a converter reads the ASCII bytes. Java's encodings that extend ASCII keep it whole, but
// the host's converters for some Japanese and Korean code sets (Shift_JIS, Johab) read 0x5C and
// 0x7E as the yen or won sign and the overline: a backslash would be lost to every escape.
enum AsciiReading { ASCII_KEPT, ASCII_ROMAN, ASCII_OTHER };

AsciiReading asciiReading(iconv_t converter) {
  std::string printable = "\t\n\r";
  for (char c = ' '; c < 0x7F; c++)
    if (c != '\\' && c != '~') printable += c;
  auto convertsToItself = [&](const std::string& text) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    int32_t length = 0;
    char* out = convertWith(converter, text.data(), static_cast<int32_t>(text.size()), '?', &length);
    bool same = out != nullptr && std::string(out, length) == text;
    std::free(out);
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    return same;
  };
  if (!convertsToItself(printable)) return ASCII_OTHER;
  return convertsToItself("\\~") ? ASCII_KEPT : ASCII_ROMAN;
}

void appendUtf8(std::string* out, uint32_t c) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The text as UTF-8 with every ASCII byte that starts a character taken for itself: the other
// characters go through the converter one at a time, as UTF-32, so that their bytes are known.
std::string convertKeepingAscii(const char* text, int32_t length, const char* encoding) {
  std::string out;
  out.reserve(static_cast<size_t>(length) + length / 2);
  iconv_t converter = iconv_open("UTF-32LE", encoding);
  if (converter == reinterpret_cast<iconv_t>(-1)) return out;
  char* in = const_cast<char*>(text);
  size_t inLeft = static_cast<size_t>(length);
  while (inLeft > 0) {
    if (static_cast<unsigned char>(*in) < 0x80) {
      out += *in++;
      inLeft--;
      continue;
    }
    unsigned char unit[4];
    char* to = reinterpret_cast<char*>(unit);
    size_t outLeft = sizeof unit;
    char* start = in;
    size_t result = iconv(converter, &in, &inLeft, &to, &outLeft);
    if (outLeft == 0) {
      appendUtf8(&out, unit[0] | unit[1] << 8 | unit[2] << 16 | static_cast<uint32_t>(unit[3]) << 24);
    } else if (in == start) {
      // No character of the encoding starts here; a run of such bytes stands as one.
      if (out.empty() || out.back() != static_cast<char>(INVALID_UTF8_BYTE)) out += static_cast<char>(INVALID_UTF8_BYTE);
      if (result == static_cast<size_t>(-1) && errno == EINVAL) break;  // one cut off at the end
      in = start + 1;
      inLeft--;
    }
  }
  iconv_close(converter);
  return out;
}

}  // namespace

char* convertSourceToUtf8(const char* text, int32_t length, const char* encoding, int32_t* convertedLength) {
  iconv_t converter = iconv_open("UTF-8", encoding);
  char* out = nullptr;
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    // The name was tried when the option was read; should the host refuse it now, every byte
    // beyond ASCII is reported where it stands.
    out = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (out != nullptr) {
      for (int32_t i = 0; i < length; i++)
        out[i] = static_cast<unsigned char>(text[i]) < 0x80 ? text[i] : static_cast<char>(INVALID_UTF8_BYTE);
      out[length] = '\0';
      *convertedLength = length;
    }
  } else if (asciiReading(converter) == ASCII_ROMAN) {
    std::string converted = convertKeepingAscii(text, length, encoding);
    out = converted.size() <= INT32_MAX - 16 ? static_cast<char*>(std::malloc(converted.size() + 1)) : nullptr;
    if (out != nullptr) {
      std::memcpy(out, converted.c_str(), converted.size() + 1);
      *convertedLength = static_cast<int32_t>(converted.size());
    }
  } else {
    out = convertWith(converter, text, length, static_cast<char>(INVALID_UTF8_BYTE), convertedLength);
  }
  if (converter != reinterpret_cast<iconv_t>(-1)) iconv_close(converter);
  if (out == nullptr) outOfMemory();
  char* kept = arenaNewArray<char>(&global.mainArena, *convertedLength + 1);
  std::memcpy(kept, out, static_cast<size_t>(*convertedLength) + 1);
  std::free(out);
  return kept;
}

int32_t decodeUtf8Character(const char* p, int32_t available, char16_t units[2], int32_t* unitCount) {
  uint32_t value = 0;
  *unitCount = 1;
  int32_t taken = utf8CodePoint(p, available, &value);
  if (taken > 0) setUtf16Units(value, units, unitCount);
  return taken;
}

int32_t unicodeToEscapedAscii(const char16_t* source, int32_t n, char* destination, int32_t size) {
  int32_t length = 0;
  if (size < 1) return -1;
  destination[0] = '\0';
  for (int32_t i = 0; i < n; i++) {
    char16_t c = source[i];
    // Room is always kept for the terminator.
    if (c >= 1 && c <= 127) {
      if (length + 1 >= size) return -1;
      destination[length++] = static_cast<char>(c);
    } else {
      if (length + 6 >= size) return -1;
      std::snprintf(destination + length, 7, "\\u%04x", static_cast<unsigned>(c));
      length += 6;
    }
    destination[length] = '\0';
  }
  return length;
}

bool convertToNative(const char16_t* source, int32_t n, char* destination, int32_t size, int32_t* converted) {
  Codeset kind = codeset();
  int32_t length = 0;
  bool failed = false;
  std::mbstate_t state{};
  for (int32_t i = 0; i < n && !failed; i++) {
    uint32_t value = source[i];
    if (value >= 0xD800 && value <= 0xDBFF && i + 1 < n && source[i + 1] >= 0xDC00 && source[i + 1] <= 0xDFFF) {
      value = 0x10000 + ((value - 0xD800) << 10) + (source[i + 1] - 0xDC00);
      i++;
    }
    char bytes[MB_LEN_MAX];
    size_t count;
    if (kind == CODESET_LATIN1) {
      if (value > 0xFF) {
        failed = true;
        break;
      }
      bytes[0] = static_cast<char>(value);
      count = 1;
    } else {
      count = std::wcrtomb(bytes, static_cast<wchar_t>(value), &state);
      if (count == static_cast<size_t>(-1)) {
        failed = true;
        break;
      }
    }
    if (length + static_cast<int32_t>(count) >= size) {
      failed = true;
      break;
    }
    std::memcpy(destination + length, bytes, count);
    length += static_cast<int32_t>(count);
  }
  if (failed || size < 1) return false;
  destination[length] = '\0';
  *converted = length;
  return true;
}

void setScanPositionHook(ScanPositionHook hook) {
  scanPositionHook = hook;
}

void warnUnconvertibleOnce(const char* escaped) {
  if (!rememberWarnedText(escaped)) return;
  // After the parse the current token is no longer in the current file: the warning then names
  // the file only.
  SourceFile* file = global.current;
  ScanPosition at = scanPosition(file);
  warningAt(file, at.inFile ? at.line : 0, 0, "warn.wcstombs.error", escaped);
}

int32_t unicodeToNative(const char16_t* source, int32_t n, char* destination, int32_t size) {
  int32_t length = 0;
  if (convertToNative(source, n, destination, size, &length)) return length;
  int32_t escaped = unicodeToEscapedAscii(source, n, destination, size);
  warnUnconvertibleOnce(destination);
  if (escaped < 0) return -1;
  destination[0] = '\0';
  return 0;
}

int32_t escapeNonPrintable(const char* source, int32_t n, char* destination, int32_t size) {
  int32_t length = 0;
  if (size < 1) return -1;
  for (int32_t i = 0; i < n; i++) {
    unsigned char c = static_cast<unsigned char>(source[i]);
    if (c < 128 && (std::isgraph(c) || std::isblank(c)) && !std::iscntrl(c)) {
      if (length + 1 >= size) return -1;
      destination[length++] = static_cast<char>(c);
    } else {
      if (length + 4 >= size) return -1;
      std::snprintf(destination + length, 5, "\\x%02x", c);
      length += 4;
    }
  }
  destination[length] = '\0';
  return length;
}

int32_t utf8ToUnicode(const char* source, int32_t n, char16_t* destination, int32_t capacity) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(source);
  int32_t count = 0;
  int32_t i = 0;
  while (i < n) {
    if (count >= capacity) return -1;
    unsigned b0 = p[i];
    // A form cut off by the end of the input takes only the bytes that are there.
    if (b0 >= 0xE0) {
      unsigned b1 = i + 1 < n ? p[i + 1] : 0;
      unsigned b2 = i + 2 < n ? p[i + 2] : 0;
      destination[count++] = static_cast<char16_t>(((b0 & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F));
      i += 3;
    } else if (b0 >= 0xC0) {
      unsigned b1 = i + 1 < n ? p[i + 1] : 0;
      destination[count++] = static_cast<char16_t>(((b0 & 0x1F) << 6) | (b1 & 0x3F));
      i += 2;
    } else {
      destination[count++] = static_cast<char16_t>(b0);
      i++;
    }
  }
  return count;
}

int32_t nativeToUnicode(const char* source, int32_t n, char16_t* destination, int32_t capacity) {
  if (n == 0) return 0;
  int32_t count = 0;
  for (int32_t i = 0; i < n;) {
    char16_t units[2];
    int32_t unitCount = 1;
    int32_t taken = decodeNativeCharacter(source + i, n - i, units, &unitCount);
    if (taken == 0) return count;
    if (taken < 0) {
      // The whole input is redone in its escaped form.
      std::string escaped(4 * static_cast<size_t>(n) + 4, '\0');
      int32_t length = escapeNonPrintable(source, n, escaped.data(), static_cast<int32_t>(escaped.size()));
      int32_t result = utf8ToUnicode(escaped.data(), length, destination, capacity);
      warningAt(global.current, scanPosition(global.current).line, 0, "warn.mbstowcs.error", escaped.c_str());
      return result < 0 ? capacity : result;
    }
    if (count + unitCount > capacity) {
      warningAt(global.current, scanPosition(global.current).line, 0, "warn.mbstowcs.error", "output buffer exceeded");
      return count;
    }
    for (int32_t u = 0; u < unitCount; u++) destination[count++] = units[u];
    i += taken;
  }
  return count;
}

int32_t encodedToUnicode(const char* source, int32_t n, const char* encoding, char16_t* destination,
                         int32_t capacity) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  iconv_t converter = iconv_open("UTF-16LE", encoding);
#else
  iconv_t converter = iconv_open("UTF-16BE", encoding);
#endif
  if (converter == reinterpret_cast<iconv_t>(-1)) return nativeToUnicode(source, n, destination, capacity);
  int32_t count = 0;
  char* in = const_cast<char*>(source);
  size_t inLeft = n > 0 ? static_cast<size_t>(n) : 0;
  while (inLeft > 0 && count < capacity) {
    char* out = reinterpret_cast<char*>(destination + count);
    size_t outLeft = sizeof(char16_t) * static_cast<size_t>(capacity - count);
    size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
    count = static_cast<int32_t>((out - reinterpret_cast<char*>(destination)) / sizeof(char16_t));
    if (converted != static_cast<size_t>(-1) || errno == E2BIG) break;
    // Not a character of the encoding: one as the host reads it.
    char16_t units[2];
    int32_t unitCount = 1;
    int32_t taken = decodeNativeCharacter(in, static_cast<int32_t>(inLeft), units, &unitCount);
    if (taken <= 0) {
      units[0] = static_cast<unsigned char>(*in);
      unitCount = 1;
      taken = 1;
    }
    if (count + unitCount > capacity) break;
    for (int32_t u = 0; u < unitCount; u++) destination[count++] = units[u];
    in += taken;
    inLeft -= static_cast<size_t>(taken);
  }
  iconv_close(converter);
  return count;
}
