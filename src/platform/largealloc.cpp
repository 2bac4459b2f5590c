// Large blocks (the editor's text and style buffers, its undo copies) are
// backed by huge pages where the system offers them on request. Touching the
// fresh pages of a 50 MB buffer costs more than reading the file: one fault
// per 4 KiB page, against one per 2 MiB. Everything else is plain malloc, and
// the library's operator delete frees it.
#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

// The sanitizers bring an operator new of their own, which must stay theirs.
#if !defined(__SANITIZE_ADDRESS__) && !defined(TAGSMITH_NO_LARGE_PAGES)

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kLargeBlock = std::size_t(8) << 20;

void adviseHugePages(void* p, std::size_t n) {
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t from = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t to = (start + n) & ~(kHugePage - 1);
    // Only advice: where the system says no, the pages are ordinary ones.
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

} // namespace

void* operator new(std::size_t n) {
    for (;;) {
        if (void* p = std::malloc(n ? n : 1)) {
            if (n >= kLargeBlock) adviseHugePages(p, n);
            return p;
        }
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

#endif
