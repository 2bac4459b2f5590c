#pragma once
#include "editor/recovery.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TRecovery;
}
class TMain;

// Offers the documents whose journals a program that stopped left behind.
class TRecovery : public QDialog {
    Q_OBJECT
public:
    enum Choice { None, Recover, Discard };
    TRecovery(const std::vector<ts::RecoveredDocument>& documents, QWidget* parent = nullptr);
    ~TRecovery() override;
    Choice choice() const { return m_choice; }

private slots:
    void bbRecoverClick();
    void bbDiscardClick();

private:
    std::unique_ptr<Ui::TRecovery> ui;
    Choice m_choice = None;
};

// At start: offers the journals in the recovery folder that no running
// program holds, and opens or removes them as the user chooses. Journals
// that do not replay are reported and kept for the user.
void offerRecovery(TMain& main);
