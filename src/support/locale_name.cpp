// The Java name of the user's locale, from the runtime's locale name ("English_United States.1252"
// or "en_US.UTF-8"), and the default encoding that goes with it.
#include "support/locale_name.h"

#include <clocale>
#include <cstring>

#include "platform/thread_locale.h"
#include "support/diagnostics.h"
#include "support/encodings.h"
#include "support/global.h"
#include "support/multibyte_strings.h"

const NamePair languageNames[] = {
    {"arabic", "ar"}, {"belorussian", "be"}, {"bulgarian", "bg"}, {"catalan", "ca"},
    {"csy", "cs"}, {"czech", "cs"},
    {"dan", "da"}, {"danish", "da"},
    {"dea", "de"}, {"des", "de"}, {"deu", "de"}, {"german", "de"}, {"german-austrian", "de"},
    {"german-swiss", "de"}, {"swiss", "de"},
    {"ell", "el"}, {"greek", "el"},
    {"american", "en"}, {"american english", "en"}, {"american-english", "en"},
    {"australian", "en"}, {"canadian", "en"}, {"ena", "en"}, {"enc", "en"}, {"eng", "en"},
    {"english", "en"}, {"english-american", "en"}, {"english-aus", "en"}, {"english-can", "en"},
    {"english-nz", "en"}, {"english-uk", "en"}, {"english-us", "en"}, {"english-usa", "en"},
    {"enu", "en"}, {"enz", "en"}, {"uk", "en"}, {"us", "en"}, {"usa", "en"},
    {"esm", "es"}, {"esn", "es"}, {"esp", "es"}, {"spanish", "es"}, {"spanish-mexican", "es"},
    {"spanish-modern", "es"},
    {"estonian", "et"},
    {"fin", "fi"}, {"finnish", "fi"},
    {"fra", "fr"}, {"frb", "fr"}, {"frc", "fr"}, {"french", "fr"}, {"french-belgian", "fr"},
    {"french-canadian", "fr"}, {"french-swiss", "fr"},
    {"hebrew", "he"}, {"croatian", "hr"},
    {"hun", "hu"}, {"hungarian", "hu"},
    {"icelandic", "is"}, {"isl", "is"},
    {"ita", "it"}, {"italian", "it"}, {"italian-swiss", "it"}, {"its", "it"},
    {"japanese", "ja"}, {"jpn", "ja"},
    {"kor", "ko"}, {"korean", "ko"},
    {"lithuanian", "lt"}, {"latvian", "lv"}, {"macedonian", "mk"},
    {"belgian", "nl"}, {"dutch", "nl"}, {"dutch-belgian", "nl"}, {"nlb", "nl"}, {"nld", "nl"},
    {"non", "no"}, {"nor", "no"}, {"norwegian", "no"}, {"norwegian-bokmal", "no"},
    {"norwegian-nynorsk", "no"},
    {"plk", "pl"}, {"polish", "pl"},
    {"portuguese", "pt"}, {"portuguese-brazilian", "pt"}, {"ptb", "pt"}, {"ptg", "pt"},
    {"romanian", "ro"},
    {"rus", "ru"}, {"russian", "ru"},
    {"sky", "sk"}, {"slovak", "sk"},
    {"slovene", "sl"}, {"albanian", "sq"}, {"serbian", "sr"},
    {"sve", "sv"}, {"swedish", "sv"},
    {"trk", "tr"}, {"turkish", "tr"},
    {"chinese", "zh"}, {"chinese(prc)", "zh"}, {"chinese(taiwan)", "zh"},
    {"chinese-simplified", "zh"}, {"chinese-traditional", "zh"}, {"chs", "zh"}, {"cht", "zh"},
    {"", nullptr},
};

const NamePair countryNames[] = {
    {"austria", "AT"},
    {"aus", "AU"}, {"australia", "AU"},
    {"bel", "BE"}, {"belgium", "BE"},
    {"bra", "BR"}, {"brazil", "BR"},
    {"can", "CA"}, {"canada", "CA"},
    {"cze", "CZ"}, {"czech", "CZ"},
    {"denmark", "DK"}, {"dnk", "DK"},
    {"fin", "FI"}, {"finland", "FI"},
    {"fra", "FR"}, {"france", "FR"},
    {"deu", "DE"}, {"germany", "DE"},
    {"grc", "GR"}, {"greece", "GR"},
    {"hkg", "HK"}, {"hong kong", "HK"}, {"hong-kong", "HK"},
    {"hun", "HU"}, {"hungary", "HU"},
    {"iceland", "IS"}, {"isl", "IS"},
    {"ireland", "IE"}, {"irl", "IE"},
    {"ita", "IT"}, {"italy", "IT"},
    {"japan", "JP"}, {"jpn", "JP"},
    {"mex", "MX"}, {"mexico", "MX"},
    {"nld", "NL"}, {"holland", "NL"}, {"netherlands", "NL"},
    {"new zealand", "NZ"}, {"new-zealand", "NZ"}, {"nz", "NZ"}, {"nzl", "NZ"},
    {"nor", "NO"}, {"norway", "NO"},
    {"china", "CN"}, {"chn", "CN"}, {"pr china", "CN"}, {"pr-china", "CN"},
    {"people's republic of china", "CN"},
    {"pol", "PL"}, {"poland", "PL"},
    {"prt", "PT"}, {"portugal", "PT"},
    {"rus", "RU"}, {"russia", "RU"},
    {"sgp", "SG"}, {"singapore", "SG"},
    {"svk", "SK"}, {"slovak", "SK"},
    {"kor", "KO"}, {"korea", "KO"}, {"south korea", "KO"}, {"south-korea", "KO"},
    {"esp", "ES"}, {"spain", "ES"},
    {"swe", "SE"}, {"sweden", "SE"},
    {"che", "CH"}, {"switzerland", "CH"},
    {"taiwan", "TW"}, {"twn", "TW"},
    {"tur", "TR"}, {"turkey", "TR"},
    {"britain", "GB"}, {"england", "GB"}, {"gbr", "GB"}, {"great britain", "GB"}, {"uk", "GB"},
    {"united kingdom", "GB"}, {"united-kingdom", "GB"},
    {"america", "US"}, {"united states", "US"}, {"united-states", "US"}, {"us", "US"},
    {"usa", "US"},
    {"", nullptr},
};

const NamePair localeEncodings[] = {
    {"ar", "Cp1256"}, {"be", "Cp1251"}, {"bg", "Cp1251"}, {"cs", "Cp1250"}, {"el", "Cp1253"},
    {"et", "Cp1257"}, {"he", "Cp1255"}, {"hu", "Cp1250"}, {"ja", "SJIS"},   {"ko", "KSC5601"},
    {"lt", "Cp1257"}, {"lv", "Cp1257"}, {"mk", "Cp1251"}, {"pl", "Cp1250"}, {"ro", "Cp1250"},
    {"ru", "Cp1251"}, {"sh", "Cp1250"}, {"sk", "Cp1250"}, {"sl", "Cp1250"}, {"sq", "Cp1250"},
    {"sr", "Cp1251"}, {"tr", "Cp1254"}, {"uk", "Cp1251"}, {"zh", "GBK"},    {"zh_TW", "Big5"},
    {"", nullptr},
};

const char* lookupNamePair(const NamePair* table, const char* name) {
  if (name == nullptr) return nullptr;
  for (const NamePair* pair = table; pair->name != nullptr && pair->name[0] != '\0'; pair++)
    if (stringsEqual(pair->name, name)) return pair->code;
  for (const NamePair* pair = table; pair->name != nullptr && pair->name[0] != '\0'; pair++)
    if (stringsEqualIgnoreCase(pair->name, name)) return pair->code;
  return nullptr;
}

// A two-letter ISO code as POSIX locale names spell them ("en", "US"), in the given case.
static const char* isoCode(const char* text, bool upper, char* buffer) {
  auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (std::strlen(text) != 2 || !isLetter(text[0]) || !isLetter(text[1])) return nullptr;
  for (int i = 0; i < 2; i++) {
    char c = text[i];
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    buffer[i] = c;
  }
  buffer[2] = '\0';
  return buffer;
}

const char* javaLocaleName(const char* runtimeName) {
  static char result[16];
  char work[128];
  std::strncpy(work, runtimeName, sizeof work - 1);
  work[sizeof work - 1] = '\0';
  char* language = work;
  char* country = nullptr;
  if (char* underscore = std::strchr(work, '_')) {
    *underscore = '\0';
    country = underscore + 1;
    country[std::strcspn(country, ".@")] = '\0';
  } else {
    language[std::strcspn(language, ".@")] = '\0';
  }
  char isoLanguage[3];
  char isoCountry[3];
  const char* code = lookupNamePair(languageNames, language);
  if (code == nullptr) code = isoCode(language, false, isoLanguage);
  if (code == nullptr) return "C";
  std::strcpy(result, code);
  if (country != nullptr) {
    const char* countryCode = lookupNamePair(countryNames, country);
    if (countryCode == nullptr) countryCode = isoCode(country, true, isoCountry);
    if (countryCode != nullptr) {
      std::strcat(result, "_");
      std::strcat(result, countryCode);
    }
  }
  return result;
}

// The runtime name of the locale in force: the thread's own when an entry of the shared library
// set one, else the process's.
static const char* runtimeLocaleName() {
  const char* name = threadLocaleName();
  return name != nullptr ? name : std::setlocale(LC_CTYPE, nullptr);
}

const char* getLocaleName() {
  // Inside a host process the entry has put the thread into the user's locale; the process's
  // locale belongs to the host's other threads.
  if (threadLocaleName() == nullptr) {
    std::setlocale(LC_ALL, "");
    // Decimal points must parse the same in every locale; the character classes stay the user's.
    std::setlocale(LC_NUMERIC, "C");
  }
  const char* runtimeName = runtimeLocaleName();
  return runtimeName != nullptr ? javaLocaleName(runtimeName) : "en_US";
}

const char* defaultEncoding() {
  const char* name = global.localeName;
  if (name == nullptr) {
    const char* runtimeName = runtimeLocaleName();
    warningAt(nullptr, 0, 0, "cannot.get.locale", runtimeName != nullptr ? runtimeName : "<nil>");
    return "8859_1";
  }
  if (codesetIsUtf8()) return "UTF8";
  const char* encoding = lookupNamePair(localeEncodings, name);
  if (encoding == nullptr && std::strchr(name, '_') != nullptr) {
    char language[128];
    std::strncpy(language, name, sizeof language - 1);
    language[sizeof language - 1] = '\0';
    *std::strchr(language, '_') = '\0';
    encoding = lookupNamePair(localeEncodings, language);
  }
  return encoding != nullptr ? encoding : "8859_1";
}
