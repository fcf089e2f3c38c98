// Access methods for private members used from another class of the same outermost class: the
// synthetic static methods (access$N) that read, write or call the member, made on request from
// attribution and numbered per owner class.
// Placeholder: declared only; no access method is made, so such uses compile to direct access.
#pragma once

#include <cstdint>

struct Member;

void addAccessor(Member* member);
Member* makeAccessorMethod(Member* member, int32_t number, int32_t kind);
