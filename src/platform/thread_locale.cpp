// Per-thread locales through newlocale and uselocale; the multibyte conversions and character
// classes of the C runtime follow the thread's locale while one is in force.
#include "platform/thread_locale.h"

#include <langinfo.h>
#include <locale.h>

ThreadLocaleScope::ThreadLocaleScope() : previous(nullptr), own(nullptr) {
  locale_t user = newlocale(LC_ALL_MASK, "", nullptr);
  // A locale named in the environment that is not installed: the C locale, as setlocale keeps.
  if (user == nullptr) user = newlocale(LC_ALL_MASK, "C", nullptr);
  if (user == nullptr) return;
  // Decimal points must read the same in every locale.
  locale_t withNumbers = newlocale(LC_NUMERIC_MASK, "C", user);
  own = withNumbers != nullptr ? withNumbers : user;
  previous = uselocale(own);
}

ThreadLocaleScope::~ThreadLocaleScope() {
  if (own == nullptr) return;
  uselocale(previous);
  freelocale(own);
}

const char* threadLocaleName() {
  locale_t current = uselocale(nullptr);
  if (current == LC_GLOBAL_LOCALE) return nullptr;
  return nl_langinfo_l(_NL_LOCALE_NAME(LC_CTYPE), current);
}
