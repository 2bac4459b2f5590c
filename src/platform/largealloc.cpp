// Large blocks (the editor's text buffer, its undo copies) are backed by huge
// pages where the system offers them on request. Touching the fresh pages of
// a 50 MB buffer costs more than reading the file: one fault per 4 KiB page,
// against one per 2 MiB. The largest are faulted in by two threads at once,
// since the system's work per fault (clearing, and on virtual machines the
// host's backing) is most of it. Everything else is plain malloc, and the
// library's operator delete frees it.
#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>
#include <system_error>
#include <thread>

// The sanitizers bring an operator new of their own, which must stay theirs.
#if !defined(__SANITIZE_ADDRESS__) && !defined(TAGSMITH_NO_LARGE_PAGES)

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kLargeBlock = std::size_t(8) << 20;
constexpr std::size_t kTouchTogether = std::size_t(16) << 20;
constexpr std::size_t kPage = 4096;

void adviseHugePages(void* p, std::size_t n) {
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t from = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t to = (start + n) & ~(kHugePage - 1);
    // Only advice: where the system says no, the pages are ordinary ones.
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

void touchPages(char* from, char* to) {
    for (char* q = from; q < to; q += kPage) *static_cast<volatile char*>(q) = 0;
}

void faultIn(void* p, std::size_t n) {
    char* const begin = static_cast<char*>(p);
    char* const middle = begin + (n / 2 / kPage) * kPage;
    try {
        std::thread helper(touchPages, middle, begin + n);
        touchPages(begin, middle);
        helper.join();
    } catch (const std::system_error&) {
        touchPages(begin, begin + n); // no thread to be had
    }
}

} // namespace

void* operator new(std::size_t n) {
    for (;;) {
        if (void* p = std::malloc(n ? n : 1)) {
            if (n >= kLargeBlock) adviseHugePages(p, n);
            if (n >= kTouchTogether) faultIn(p, n);
            return p;
        }
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

#endif
