#pragma once
#include "app/tmain.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/freshregistry.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace ts::test {

// The main window on a fresh registry, with a temporary folder for files.
struct MainWindowTest : ::testing::Test {
    ScopedPlatform platform;
    FreshRegistry registry;
    QTemporaryDir dir;
    std::unique_ptr<TMain> main;

    void SetUp() override {
        main = std::make_unique<TMain>();
        main->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        if (!main) return;
        // Nothing left to ask about when the frame goes.
        for (THTML* doc : main->Documents()) doc->RichEdit()->ClearModified();
        main.reset();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    // Written in place, keeping the file's inode.
    void write(const QString& name, const QByteArray& bytes) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QByteArray read(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    THTML* open(const QString& name) {
        platform.dialogs.openAnswers = {path(name)};
        main->sbOpenClick();
        return main->ActiveDocument();
    }
    // Types text as key presses, also characters no key of the test keyboard has.
    void type(THTML* doc, const QString& s) {
        for (QChar c : s) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(doc->RichEdit(), &press);
        }
        QCoreApplication::processEvents();
    }
};

} // namespace ts::test
