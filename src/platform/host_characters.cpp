// Multibyte character lengths under the C runtime's locale. ASCII bytes stand for themselves in
// every codeset the host supports, so they take no call into the runtime.
#include "platform/host_characters.h"

#include <cstdlib>
#include <cwchar>

int32_t hostCharacterLength(const char* p, int32_t maxBytes) {
  if (static_cast<unsigned char>(*p) < 0x80 || maxBytes <= 1) return 1;
  std::mbstate_t state{};
  size_t n = std::mbrlen(p, static_cast<size_t>(maxBytes), &state);
  if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) return -1;
  return n == 0 ? 1 : static_cast<int32_t>(n);
}

int32_t hostStepLength(const char* p) {
  if (static_cast<unsigned char>(*p) < 0x80) return 1;
  int32_t n = hostCharacterLength(p, static_cast<int32_t>(MB_CUR_MAX));
  return n < 1 ? 1 : n;
}
