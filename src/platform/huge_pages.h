// Huge pages for the large picture-sized buffers. A fresh buffer of tens of megabytes is otherwise
// faulted in 4 KiB at a time on its first write, and those faults cost more than the writes.
#pragma once

#include <cstddef>

namespace nephrax {

// Size of the huge pages the advice asks for.
inline constexpr size_t kHugePageBytes = size_t{2} << 20;

// The whole huge pages inside [data, data + size): the start rounded up and the end rounded down
// to kHugePageBytes. Empty (size 0) when the buffer holds no whole huge page.
struct HugePageSpan {
  size_t offset = 0;  // from `data`
  size_t size = 0;
};
HugePageSpan WholeHugePages(const void* data, size_t size);

// Asks the system to back the whole huge pages of a buffer with huge pages. Only pages not yet
// touched take the advice, so it is given right after allocating and before the first write. A
// request the system cannot grant, or one on a system without them, leaves the buffer as it is.
void AdviseHugePages(void* data, size_t size);

}  // namespace nephrax
