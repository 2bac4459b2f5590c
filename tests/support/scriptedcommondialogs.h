#pragma once
#include "platform/commondialogs.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <deque>
#include <optional>
#include <vector>

namespace ts {

// Answers from queues; an empty queue answers "cancelled".
class ScriptedCommonDialogs : public CommonDialogs {
public:
    std::deque<std::optional<QString>> openAnswers, saveAnswers;
    std::deque<bool> printAnswers, setupAnswers;
    std::deque<std::optional<QColor>> colorAnswers;
    std::deque<std::optional<QFont>> fontAnswers;
    std::deque<std::optional<QString>> executableAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    QString lastFolderCurrent;
    int openCalls = 0, saveCalls = 0, printCalls = 0, setupCalls = 0, colorCalls = 0, fontCalls = 0,
        executableCalls = 0;
    // What each colour and font dialog was opened with, and the last executable dialog.
    std::vector<QColor> colorInitials;
    std::vector<QFont> fontInitials;
    QString lastExecutableCurrent;

    std::optional<QString> openFileName(QWidget*) override;
    std::optional<QString> saveFileName(QWidget*) override;
    bool print(QWidget*, QPrinter&) override;
    bool printerSetup(QWidget*, QPrinter&) override;
    std::optional<QColor> color(QWidget*, const QColor& initial) override;
    std::optional<QFont> font(QWidget*, const QFont& initial) override;
    std::optional<QString> executableFileName(QWidget*, const QString& current) override;
    std::optional<QString> folderName(QWidget*, const QString& current) override;
};

} // namespace ts
