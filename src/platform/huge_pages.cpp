#include "platform/huge_pages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace nephrax {

HugePageSpan WholeHugePages(const void* data, size_t size) {
  const uintptr_t start = reinterpret_cast<uintptr_t>(data);
  const uintptr_t first = (start + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
  const uintptr_t end = (start + size) / kHugePageBytes * kHugePageBytes;
  if (data == nullptr || first < start || end <= first) return {};
  return {first - start, end - first};
}

void AdviseHugePages(void* data, size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  const HugePageSpan span = WholeHugePages(data, size);
  if (span.size == 0) return;
  // Refused only for kernels without transparent huge pages: the buffer then keeps small pages.
  static_cast<void>(madvise(static_cast<uint8_t*>(data) + span.offset, span.size, MADV_HUGEPAGE));
#else
  static_cast<void>(data);
  static_cast<void>(size);
#endif
}

}  // namespace nephrax
