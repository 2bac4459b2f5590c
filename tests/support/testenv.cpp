#include "support/testenv.h"

namespace ts::test {

ScopedPlatform::ScopedPlatform() {
    setMessages(&boxes);
    setCommonDialogs(&dialogs);
    setClock(&clock);
}

ScopedPlatform::~ScopedPlatform() {
    setMessages(nullptr);
    setCommonDialogs(nullptr);
    setClock(nullptr);
}

} // namespace ts::test
