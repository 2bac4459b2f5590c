#pragma once
#include <QUrl>

namespace ts {

// The desktop's opener for documents and addresses (its default browser for
// web pages), as a seam so tests do not start one.
class Desktop {
public:
    virtual ~Desktop() = default;
    // False when nothing could be started for the address.
    virtual bool openUrl(const QUrl& url) = 0;
};

class SystemDesktop : public Desktop {
public:
    bool openUrl(const QUrl& url) override;
};

Desktop& desktop();
// nullptr puts the system's back.
void setDesktop(Desktop* d);

} // namespace ts
