#include "core/messages.h"

#include <cstdio>

namespace nephrax {

void PrintMessage(const char* message) {
  std::fprintf(stderr, "%s\r\n", message);
  std::fflush(stderr);
}

}  // namespace nephrax
