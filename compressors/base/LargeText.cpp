#include "compressors/base/LargeText.h"

#include <sys/mman.h>

#include <cstdint>

namespace {

constexpr std::uintptr_t kHugePage = 2 << 20;

}  // namespace

void ReserveLargeText(std::string& text, std::size_t capacity)
{
    text.reserve(capacity);
    if (capacity < 2 * kHugePage) return;
    // Only whole huge pages inside the block; its untouched memory takes them
    // when first written.
    const auto start = reinterpret_cast<std::uintptr_t>(text.data());
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (start + capacity) & ~(kHugePage - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}
