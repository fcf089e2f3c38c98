// Both conversions take the string's characters once, convert them into a buffer of the most
// bytes a unit may need, and give the characters back to the virtual machine.
#include "support/java_strings.h"

#include <cstdint>
#include <cstdlib>

#include "platform/jni_environment.h"
#include "support/encodings.h"

namespace {

using Conversion = int32_t (*)(const char16_t* source, int32_t n, char* destination, int32_t size);

char* convertJavaString(jstring string, int32_t bytesPerUnit, Conversion convert) {
  jsize length = jniGetStringLength(string);
  if (length <= 0) return nullptr;
  const jchar* characters = jniGetStringChars(string);
  if (characters == nullptr) return nullptr;
  // A string too long for the conversion's int32_t sizes is not converted.
  int64_t size = int64_t{bytesPerUnit} * length + 1;
  char* buffer = size <= INT32_MAX ? static_cast<char*>(std::malloc(size)) : nullptr;
  if (buffer != nullptr) {
    int32_t k = convert(reinterpret_cast<const char16_t*>(characters), length, buffer, static_cast<int32_t>(size));
    if (k < 1) {
      std::free(buffer);
      buffer = nullptr;
    } else {
      buffer[k] = '\0';
    }
  }
  jniReleaseStringChars(string, characters);
  return buffer;
}

}  // namespace

char* javaStringToNative(jstring string) {
  return convertJavaString(string, 3, unicodeToNative);
}

char* javaStringToEscapedAscii(jstring string) {
  return convertJavaString(string, 6, unicodeToEscapedAscii);
}
