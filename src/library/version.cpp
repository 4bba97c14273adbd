// The library's version, as built. A constant: it cannot throw.
#include "g722kit/g722kit.h"

extern "C" const char* G722KitVersion(void) {
  return G722KIT_VERSION_STRING;
}
