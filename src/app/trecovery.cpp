#include "app/trecovery.h"

#include "app/tmain.h"
#include "editor/thtml.h"
#include "platform/clock.h"
#include "platform/command.h"
#include "platform/messages.h"

#include "ui_trecovery.h"

TRecovery::TRecovery(const std::vector<ts::RecoveredDocument>& documents, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TRecovery>()) {
    ui->setupUi(this);
    for (const ts::RecoveredDocument& doc : documents) {
        const QDateTime when = doc.lastEdit.toLocalTime();
        QString line = doc.header.fileName + QStringLiteral("  ") + ts::clock().shortDate(when.date()) +
                       QStringLiteral(" ") + ts::clock().longTime(when.time());
        if (!doc.ok()) line += QStringLiteral("  (cannot be recovered: ") + doc.problem + QLatin1Char(')');
        ui->lbDocuments->addItem(line);
    }
    connect(ui->bbRecover, &QPushButton::clicked, this, &TRecovery::bbRecoverClick);
    connect(ui->bbDiscard, &QPushButton::clicked, this, &TRecovery::bbDiscardClick);
}

TRecovery::~TRecovery() = default;

void TRecovery::bbRecoverClick() {
    m_choice = Recover;
    accept();
}

void TRecovery::bbDiscardClick() {
    m_choice = Discard;
    accept();
}

void offerRecovery(TMain& main) {
    ts::OrphanJournals orphans(ts::recoveryFolder());
    if (orphans.documents.empty()) return;
    TRecovery dialog(orphans.documents, &main);
    dialog.exec();
    // Closed without a choice: the journals stay for the next start.
    if (dialog.choice() == TRecovery::None) return;
    for (size_t i = 0; i < orphans.documents.size(); ++i) {
        const ts::RecoveredDocument& doc = orphans.documents[i];
        if (!doc.ok()) {
            const QString kept = orphans.keep(i);
            ts::messages().warning(&main, QStringLiteral("The unsaved changes of %1 cannot be recovered: %2. "
                                                         "The journal is kept as %3.")
                                              .arg(doc.header.fileName, doc.problem, kept));
            continue;
        }
        if (dialog.choice() == TRecovery::Recover) {
            THTML* html = main.CreateDocument();
            html->SetFileName(doc.header.fileName);
            bool opened = false;
            ts::runCommand(&main, [&] {
                html->RecoverDocument(doc);
                opened = true;
            });
            main.ShowDocument(html);
            // The old journal goes only once the document has a journal of its own.
            if (!opened || (html->Journal() && !html->Journal()->OnDisk())) continue;
        }
        orphans.remove(i);
    }
}
