#pragma once
#include <QtGlobal>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class QsciScintillaBase;
class ILoader;

namespace ts {

// Builds a new document for an editor control from text given in pieces,
// away from the control: the control's own work on the text (copying it in,
// finding its lines) runs on a thread of its own while the caller reads and
// checks the next piece. The control shows its old document until the new
// one is taken.
class DocumentLoader {
public:
    // Room for sizeHint bytes; withStyles false keeps no style per character.
    DocumentLoader(QsciScintillaBase& editor, qint64 sizeHint, bool withStyles);
    // Abandons a document not taken.
    ~DocumentLoader();
    DocumentLoader(const DocumentLoader&) = delete;
    DocumentLoader& operator=(const DocumentLoader&) = delete;

    void append(std::string_view utf8);
    // The finished document, holding one reference for the caller; throws
    // std::bad_alloc when the control could not take the text.
    void* take();

private:
    void work();
    void add(std::string_view utf8);

    ILoader* m_target = nullptr;
    int m_status = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_pending;
    std::vector<std::string> m_spare;
    bool m_ended = false;
};

} // namespace ts
