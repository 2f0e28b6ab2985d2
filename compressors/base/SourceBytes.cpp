#include "compressors/base/SourceBytes.h"

#include <signal.h>
#include <sys/mman.h>

#include <array>
#include <atomic>
#include <mutex>

#include "compressors/base/FileErrors.h"

namespace {

// The mappings being read, for the SIGBUS handler: a fixed table so that the
// handler reads it without locks. A slot is claimed by setting its end.
struct MappingSlot {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> lost{false};
};
constexpr std::size_t kSlots = 64;
struct MappingTable {
    std::array<MappingSlot, kSlots> slots;
    struct sigaction previousAction {};
};

// Made before the handler is installed, so the handler never constructs it.
MappingTable& Table()
{
    static MappingTable table;
    return table;
}

// A page of a mapped source that shrank: the rest of that mapping becomes
// zero pages and the slot remembers the loss. Any other SIGBUS goes to the
// handler there was before, as if this one were not installed.
void OnBusError(int, siginfo_t* info, void*)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    MappingTable& table = Table();
    for (MappingSlot& slot : table.slots) {
        const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        const std::uintptr_t end = slot.end.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address >= end) continue;
        const std::uintptr_t page = address & ~static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE) - 1);
        if (::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
                   0) == MAP_FAILED)
            break;
        slot.lost.store(true, std::memory_order_release);
        return;
    }
    ::sigaction(SIGBUS, &table.previousAction, nullptr);  // the fault repeats under it
}

void InstallHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = &OnBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &Table().previousAction);
    });
}

int ClaimSlot(std::uintptr_t begin, std::uintptr_t end)
{
    auto& slots = Table().slots;
    for (std::size_t i = 0; i < kSlots; ++i) {
        std::uintptr_t free = 0;
        if (!slots[i].end.compare_exchange_strong(free, end)) continue;
        slots[i].lost.store(false);
        slots[i].begin.store(begin, std::memory_order_release);
        return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

SourceBytes::SourceBytes(const std::string& path) : input_(path)
{
    const std::uint64_t size = input_.Size();
    if (size >= kMapAtLeast && size <= SIZE_MAX) {
        InstallHandler();
        void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, input_.Handle(), 0);
        if (map != MAP_FAILED) {
            const auto begin = reinterpret_cast<std::uintptr_t>(map);
            slot_ = ClaimSlot(begin, begin + size);
            if (slot_ >= 0) {
                view_ = std::string_view(static_cast<const char*>(map), size);
                return;
            }
            ::munmap(map, size);
        }
    }
    copy_ = ReadAll(input_);
    view_ = copy_;
}

SourceBytes::~SourceBytes()
{
    Release();
}

void SourceBytes::Check() const
{
    if ((slot_ >= 0 && Table().slots[slot_].lost.load(std::memory_order_acquire)) || input_.CurrentSize() != input_.Size())
        throw SourceChanged();
}

void SourceBytes::Release() noexcept
{
    if (slot_ >= 0) {
        ::munmap(const_cast<char*>(view_.data()), view_.size());
        MappingSlot& slot = Table().slots[slot_];
        slot.begin.store(0, std::memory_order_release);
        slot.end.store(0, std::memory_order_release);
        slot_ = -1;
    }
    view_ = {};
    copy_ = std::string();
}
