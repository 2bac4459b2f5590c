#pragma once
#include <QApplication>

// Last line of defence: no exception may cross the event loop. Commands run
// inside ts::runCommand; anything that still escapes an event handler is shown here.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
