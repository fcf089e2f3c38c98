// Access methods. Placeholder: no access method is made.
#include "semantic/access_methods.h"

void addAccessor(Member*) {}
Member* makeAccessorMethod(Member*, int32_t, int32_t) {
  return nullptr;
}
