#include "editor/docloader.h"

#include <Qsci/qsciscintillabase.h>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>

// The control's document loader, under the name and in the form its library
// gives it (the library's header for it is not installed): the document seen
// through this interface until it is converted into one to show.
class ILoader {
public:
    virtual int Release() = 0;
    // 0 when the text was taken, else a failure (out of memory, mostly).
    virtual int AddData(const char* data, std::ptrdiff_t length) = 0;
    virtual void* ConvertToDocument() = 0;
};

namespace ts {

namespace {
// Below this the text goes in at once; a thread would cost more than it saves.
constexpr qint64 kThreadFrom = qint64(8) << 20;
// Pieces read ahead of the control at most.
constexpr size_t kAhead = 2;
} // namespace

DocumentLoader::DocumentLoader(QsciScintillaBase& editor, qint64 sizeHint, bool withStyles) {
    const qint64 size = std::max<qint64>(sizeHint, 0);
    // Room for the first edits as well, so the buffer is not regrown and
    // copied at the first keystroke.
    const long room = long(size + size / 32 + 65536);
    const long options = withStyles ? QsciScintillaBase::SC_DOCUMENTOPTION_DEFAULT
                                    : QsciScintillaBase::SC_DOCUMENTOPTION_STYLES_NONE;
    m_target = reinterpret_cast<ILoader*>(static_cast<std::intptr_t>(
        editor.SendScintilla(QsciScintillaBase::SCI_CREATELOADER, static_cast<unsigned long>(room), options)));
    if (!m_target) throw std::bad_alloc();
    if (size >= kThreadFrom) m_thread = std::thread([this] { work(); });
}

DocumentLoader::~DocumentLoader() {
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_ended = true;
            m_pending.clear();
        }
        m_changed.notify_all();
        m_thread.join();
    }
    if (m_target) m_target->Release();
}

void DocumentLoader::add(std::string_view utf8) {
    if (utf8.empty()) return;
    const int status = m_target->AddData(utf8.data(), std::ptrdiff_t(utf8.size()));
    if (status != 0) {
        std::lock_guard lock(m_mutex);
        m_status = status;
    }
}

void DocumentLoader::append(std::string_view utf8) {
    if (utf8.empty()) return;
    if (!m_thread.joinable()) {
        add(utf8);
        return;
    }
    std::string piece;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_pending.size() < kAhead || m_status != 0; });
        if (m_status != 0) return; // reported by take()
        if (!m_spare.empty()) {
            piece = std::move(m_spare.back());
            m_spare.pop_back();
        }
    }
    piece.assign(utf8);
    {
        std::lock_guard lock(m_mutex);
        m_pending.push_back(std::move(piece));
    }
    m_changed.notify_all();
}

void DocumentLoader::work() {
    for (;;) {
        std::string piece;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_pending.empty() || m_ended; });
            if (m_pending.empty()) return;
            piece = std::move(m_pending.front());
            m_pending.pop_front();
        }
        if (m_status == 0) add(piece);
        {
            std::lock_guard lock(m_mutex);
            m_spare.push_back(std::move(piece));
        }
        m_changed.notify_all();
    }
}

void* DocumentLoader::take() {
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_ended = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    if (m_status != 0) throw std::bad_alloc();
    void* document = m_target->ConvertToDocument();
    m_target = nullptr;
    return document;
}

} // namespace ts
