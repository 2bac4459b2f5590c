#pragma once
#include "app/tmain.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/freshregistry.h"
#include "support/scratchfolder.h"
#include "support/testenv.h"
#include "support/widgets.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>

namespace ts::test {

// The main window on a fresh registry, with a temporary folder for files.
struct MainWindowTest : ::testing::Test, ScratchFolder {
    ScopedPlatform platform;
    FreshRegistry registry;
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
    THTML* open(const QString& name) {
        platform.dialogs.openAnswers = {path(name)};
        main->sbOpenClick();
        return main->ActiveDocument();
    }
    // Types text as key presses, also characters no key of the test keyboard has.
    void type(THTML* doc, const QString& s) { typeText(doc->RichEdit(), s); }
};

} // namespace ts::test
