// The per-class state of code generation, saved and restored around each outermost class.
#pragma once

#include <cstdint>

// Still lacks every field: class generation fills it in.
struct ClassGenState {
  int32_t unused;
};
