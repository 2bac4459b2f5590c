#pragma once
// What the application benchmarks measure with.
#include "editor/thtml.h"
#include "editor/tsrichedit.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <algorithm>
#include <ctime>
#include <vector>

namespace bench {

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// CPU time of the calling thread: the window's share of work done elsewhere.
inline double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// One keystroke as a user makes it: a letter, a caret step (left and right in
// turn, so the caret stays near its line), the editor's repaint and what the
// event loop has to do meanwhile.
inline void typeKey(THTML& doc, int k) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(doc.RichEdit(), &press);
    QKeyEvent step(QEvent::KeyPress, k % 2 ? Qt::Key_Right : Qt::Key_Left, Qt::NoModifier);
    QCoreApplication::sendEvent(doc.RichEdit(), &step);
    doc.repaint();
    QCoreApplication::processEvents();
}

} // namespace bench
