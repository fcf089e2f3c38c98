// The user's locale for one thread: the C runtime's conversions on that thread follow it, and
// the process's locale, which a host's other threads share, never changes.
#include <pthread.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "platform/thread_locale.h"
#include "support/locale_name.h"
#include "test_support.h"

namespace {

size_t otherThreadsCharBytes() {
  pthread_t other;
  size_t bytes = 0;
  pthread_create(
      &other, nullptr,
      [](void* result) -> void* {
        *static_cast<size_t*>(result) = MB_CUR_MAX;
        return nullptr;
      },
      &bytes);
  pthread_join(other, nullptr);
  return bytes;
}

TEST(ThreadLocale, TheUsersLocaleHoldsOnTheCallingThreadOnly) {
  std::string processLocale = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "C");
  const char* saved = std::getenv("LC_ALL");
  std::string savedValue = saved != nullptr ? saved : "";
  setenv("LC_ALL", "C.UTF-8", 1);
  EXPECT_EQ(threadLocaleName(), nullptr);
  {
    ThreadLocaleScope scope;
    ASSERT_NE(threadLocaleName(), nullptr);
    EXPECT_STREQ(threadLocaleName(), "C.UTF-8");
    EXPECT_GT(MB_CUR_MAX, 1u);
    // Taking the locale's name inside the scope leaves the process's locale alone.
    getLocaleName();
    EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C");
    EXPECT_EQ(otherThreadsCharBytes(), 1u);
  }
  EXPECT_EQ(threadLocaleName(), nullptr);
  EXPECT_EQ(MB_CUR_MAX, 1u);
  if (saved != nullptr)
    setenv("LC_ALL", savedValue.c_str(), 1);
  else
    unsetenv("LC_ALL");
  std::setlocale(LC_ALL, processLocale.c_str());
}

}  // namespace
