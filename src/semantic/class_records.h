// Records of classes and members, from source or from class files.
#pragma once

#include <cstdint>

// Still lacks every field but the error mark: the declaration records fill them in.
struct ClassDef {
  int32_t unused;
};

struct Member {
  uint32_t errorMark;  // bit 0: an error was counted in this method, so it is not written
};
