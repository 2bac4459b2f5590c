#pragma once
#include "support/waitfor.h"
#include "support/widgets.h"

#include <QDialog>
#include <QString>
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <source_location>
#include <type_traits>
#include <utility>
#include <vector>

// Answering the modal dialogs that commands open, as a user would.
namespace ts::test {

struct DialogExpectation;

// Expects modal dialogs and answers them:
//
//   DialogDriver dialogs;
//   dialogs.expect("TAnchor", [](QDialog& d) {
//       set(d, "eLink", "index.htm");
//       click(d, "bbOK");
//   });
//   press("sbAnchor");
//   dialogs.done();
//
// A dialog is known by its objectName; Qt's own dialogs, which have none, by
// their class name ("QMessageBox", "QFileDialog", "QColorDialog"). Dialogs
// open in the order they are expected, and each is answered once it is the
// active window, as a user finds it. A dialog that an answer opens (the URL
// builder of a builder dialog) is expected inside that answer, before the
// click that opens it, and must have opened by the time the answer returns.
//
// The test fails for an expected dialog that has not opened within the
// deadline of done(), which the driver's end calls too. While a driver lives,
// a modal dialog that nobody expects is rejected at once, with a failure.
class DialogDriver {
public:
    explicit DialogDriver(int deadlineMs = kDeadlineMs);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // The next modal dialog to open is objectName, and act answers it; the
    // answer closes it, or makes it close. With D the dialog must be a D.
    template <class D = QDialog>
    DialogDriver& expect(const QString& objectName, std::type_identity_t<std::function<void(D&)>> act,
                         std::source_location where = std::source_location::current()) {
        return add(objectName, [act = std::move(act)](QDialog& dlg) {
            if (D* typed = qobject_cast<D*>(&dlg)) {
                act(*typed);
            } else {
                ADD_FAILURE() << dlg.metaObject()->className() << " is not a " << D::staticMetaObject.className();
                dlg.reject();
            }
        }, where);
    }

    // Waits until every dialog expected so far has opened; fails for each
    // that has not after the deadline, and expects it no longer.
    void done();

private:
    DialogDriver& add(const QString& objectName, std::function<void(QDialog&)> act, std::source_location where);

    int m_deadlineMs;
    std::vector<std::shared_ptr<DialogExpectation>> m_expected;
};

// Rejects, with a failure, a modal dialog that stays open for many seconds
// while no driver expects dialogs, so that a run never hangs on one. The
// test program installs it at its start.
void installModalGuard();

// Clicks the named button; a dialog without it fails the test and is
// rejected, so that nothing hangs.
void click(QWidget& dlg, const char* button);
inline void click(QWidget* dlg, const char* button) {
    if (dlg) click(*dlg, button);
    else ADD_FAILURE() << "no dialog to click " << button << " in";
}

// Puts text into the named line edit.
void set(QWidget& dlg, const char* field, const QString& text);
inline void set(QWidget* dlg, const char* field, const QString& text) {
    if (dlg) set(*dlg, field, text);
    else ADD_FAILURE() << "no dialog to fill " << field << " in";
}

// Each label caption leads to its empty field.
void expectEmptyFields(QWidget* dlg, std::initializer_list<std::pair<const char*, const char*>> fields);

} // namespace ts::test
