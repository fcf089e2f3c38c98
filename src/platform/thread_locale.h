// The user's locale for the calling thread only. Inside a host process a setlocale would change
// the locale under all its other threads; an entry of the shared library takes the user's locale
// for itself while it runs and gives the thread its own back at the end.
#pragma once

#include <clocale>

// From the environment as setlocale(LC_ALL, "") reads it, with the C number formats, in force on
// the calling thread for the lifetime of the scope.
class ThreadLocaleScope {
 public:
  ThreadLocaleScope();
  ~ThreadLocaleScope();
  ThreadLocaleScope(const ThreadLocaleScope&) = delete;
  ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

 private:
  locale_t previous;
  locale_t own;
};

// The runtime name of the character-class locale of the calling thread ("en_US.UTF-8"), or null
// when the thread follows the process's locale.
const char* threadLocaleName();
