// Conversions between UTF-16 and the host's multibyte text. Characters decode one at a time with
// mbrtowc under the locale's codeset; the plain C locale reads bytes as ISO-8859-1; characters
// beyond the 16-bit range become surrogate pairs, made and joined here.
#include "support/encodings.h"

#include <iconv.h>
#include <langinfo.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
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
  if (!stringsEqual(first, second)) errorInFile(nullptr, 0, 0, "encoding.limit", second, first);
}

void resetEncodings() {
  global.defaultEncoding = nullptr;
  global.sourceEncoding = nullptr;
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
  if (value >= 0x10000) {
    value -= 0x10000;
    units[0] = static_cast<char16_t>(0xD800 + (value >> 10));
    units[1] = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
    *unitCount = 2;
  } else {
    units[0] = static_cast<char16_t>(value);
  }
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

char* convertToHostEncoding(const char* text, int32_t length, const char* encoding, int32_t* convertedLength) {
  if (codeset() == CODESET_LATIN1) return nullptr;
  std::string target = std::string(hostCodesetName()) + "//TRANSLIT";
  iconv_t converter = iconv_open(target.c_str(), encoding);
  if (converter == reinterpret_cast<iconv_t>(-1)) return nullptr;
  // Room for four bytes per input byte suffices for every codeset the runtime offers; the block
  // grows anyway when a conversion runs out of it.
  size_t capacity = 4 * static_cast<size_t>(length) + 16;
  char* out = static_cast<char*>(heapAllocate(capacity));
  char* in = const_cast<char*>(text);
  size_t inLeft = static_cast<size_t>(length);
  size_t used = 0;
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
    // An invalid or incomplete sequence: "?" for its first byte.
    out[used++] = '?';
    in++;
    inLeft--;
  }
  iconv_close(converter);
  if (out == nullptr) outOfMemory();
  out[used] = '\0';
  *convertedLength = static_cast<int32_t>(used);
  return out;
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

int32_t sourceToUnicode(const char* source, int32_t n, char16_t* destination, int32_t capacity) {
  return nativeToUnicode(source, n, destination, capacity);
}
