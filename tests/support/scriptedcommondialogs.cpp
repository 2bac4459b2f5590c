#include "support/scriptedcommondialogs.h"

namespace ts {

namespace {

template <class T>
T takeFront(std::deque<T>& q, const T& fallback) {
    if (q.empty()) return fallback;
    const T v = q.front();
    q.pop_front();
    return v;
}

} // namespace

std::optional<QString> ScriptedCommonDialogs::openFileName(QWidget*) {
    ++openCalls;
    return takeFront(openAnswers, std::optional<QString>{});
}

std::optional<QString> ScriptedCommonDialogs::saveFileName(QWidget*) {
    ++saveCalls;
    return takeFront(saveAnswers, std::optional<QString>{});
}

bool ScriptedCommonDialogs::print(QWidget*, QPrinter&) {
    ++printCalls;
    return takeFront(printAnswers, false);
}

bool ScriptedCommonDialogs::printerSetup(QWidget*, QPrinter&) {
    ++setupCalls;
    return takeFront(setupAnswers, false);
}

std::optional<QColor> ScriptedCommonDialogs::color(QWidget*, const QColor& initial) {
    ++colorCalls;
    colorInitials.push_back(initial);
    return takeFront(colorAnswers, std::optional<QColor>{});
}

std::optional<QFont> ScriptedCommonDialogs::font(QWidget*, const QFont& initial) {
    ++fontCalls;
    fontInitials.push_back(initial);
    return takeFront(fontAnswers, std::optional<QFont>{});
}

std::optional<QString> ScriptedCommonDialogs::executableFileName(QWidget*, const QString& current) {
    ++executableCalls;
    lastExecutableCurrent = current;
    return takeFront(executableAnswers, std::optional<QString>{});
}

std::optional<QString> ScriptedCommonDialogs::folderName(QWidget*, const QString& current) {
    lastFolderCurrent = current;
    return takeFront(folderAnswers, std::optional<QString>{});
}

} // namespace ts
