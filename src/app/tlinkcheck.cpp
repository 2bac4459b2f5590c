#include "app/tlinkcheck.h"

#include "app/openfiles.h"
#include "app/tmain.h"
#include "editor/linkcheck.h"
#include "editor/sitesearch.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "platform/command.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace {

enum LinkRole { LinkPathRole = Qt::UserRole, LinkLineRole };

QString absolutePage(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

} // namespace

TLinkCheck::TLinkCheck(TMain& main) : QDialog(&main), m_main(main) {
    setObjectName(QStringLiteral("TLinkCheck"));
    setWindowTitle(QStringLiteral("Check links"));
    setModal(false);
    m_wholeSite = new QCheckBox(QStringLiteral("&Whole site"), this);
    m_wholeSite->setObjectName(QStringLiteral("cbWholeSite"));
    m_check = new QPushButton(QStringLiteral("&Check"), this);
    m_check->setObjectName(QStringLiteral("bbCheck"));
    m_check->setDefault(true);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("bbClose"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lStatus"));
    m_links = new QTreeWidget(this);
    m_links->setObjectName(QStringLiteral("lvLinks"));
    m_links->setHeaderLabels(
        {QStringLiteral("Page"), QStringLiteral("Line"), QStringLiteral("Link"), QStringLiteral("Problem")});
    m_links->setRootIsDecorated(false);
    m_links->setUniformRowHeights(true);

    auto* top = new QHBoxLayout;
    top->addWidget(m_wholeSite);
    top->addStretch();
    top->addWidget(m_check);
    top->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_status);
    layout->addWidget(m_links, 1);
    resize(640, 400);

    connect(m_check, &QPushButton::clicked, this, &TLinkCheck::bbCheckClick);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_links, &QTreeWidget::itemDoubleClicked, this, &TLinkCheck::lvLinksDoubleClick);
    connect(&m_running, &QFutureWatcher<Result>::finished, this, [this] {
        ts::runCommand(this, [this] { showResult(m_running.result()); });
        m_check->setEnabled(true);
        emit Done();
    });
}

bool TLinkCheck::TakeActiveDocument() {
    THTML* doc = m_main.ActiveDocument();
    if (!doc) return false;
    // An untitled page's links start in the working folder, where it would be saved.
    m_page = doc->FileName() == untitledName() ? absolutePage(QDir::current().filePath(untitledName()))
                                                : absolutePage(doc->FileName());
    return true;
}

void TLinkCheck::bbCheckClick() {
    if (m_page.isEmpty() || m_running.isRunning()) return;
    ts::runCommand(this, [this] {
        m_folder = QFileInfo(m_page).absolutePath();
        // Open documents are checked, and looked into, in their current text.
        QHash<QString, QByteArray> texts;
        for (THTML* doc : m_main.Documents()) {
            const QString path = doc->FileName() == untitledName()
                                     ? absolutePage(QDir::current().filePath(untitledName()))
                                     : absolutePage(doc->FileName());
            const std::string_view text = doc->RichEdit()->DocumentBytes();
            texts.insert(path, QByteArray(text.data(), qsizetype(text.size())));
        }
        m_check->setEnabled(false);
        m_status->setText(QStringLiteral("Checking..."));
        m_running.setFuture(QtConcurrent::run(
            [page = m_page, folder = m_folder, wholeSite = m_wholeSite->isChecked(), texts = std::move(texts)] {
                QStringList pages{page};
                if (wholeSite) {
                    pages.clear();
                    for (const QString& p : ts::sitesearch::listFiles(folder, QStringLiteral("*.htm;*.html"), true))
                        pages << absolutePage(p);
                }
                return Result{pages.size(), ts::linkcheck::checkPages(pages, folder, texts)};
            }));
    });
}

void TLinkCheck::showResult(const Result& result) {
    QList<QTreeWidgetItem*> rows;
    int broken = 0;
    for (const ts::linkcheck::Problem& p : result.problems) {
        const QString rel = QDir(m_folder).relativeFilePath(p.page);
        auto* row = new QTreeWidgetItem({rel, QString::number(p.line + 1), p.link, p.problem});
        row->setData(0, LinkPathRole, p.page);
        row->setData(0, LinkLineRole, p.line);
        rows << row;
        if (p.problem != QLatin1String(ts::linkcheck::kNotChecked)) ++broken;
    }
    m_links->clear();
    m_links->addTopLevelItems(rows);
    m_status->setText(QStringLiteral("%1 pages checked, %2 problems found.").arg(result.pages).arg(broken));
}

void TLinkCheck::lvLinksDoubleClick(QTreeWidgetItem* item) {
    if (!item) return;
    const QString path = item->data(0, LinkPathRole).toString();
    ts::runCommand(this, [&] {
        THTML* doc = ts::documentOfFile(m_main, path);
        if (doc) m_main.ShowDocument(doc);
        else if (QFileInfo(path).isFile()) doc = m_main.OpenDocumentFile(path);
        else if (THTML* active = m_main.ActiveDocument(); active && active->FileName() == untitledName())
            doc = active;
        if (!doc) return;
        TSRichEdit& editor = *doc->RichEdit();
        editor.SetCaretRow(int(item->data(0, LinkLineRole).toLongLong()));
        editor.SetCaretCol(0);
        editor.SendScintilla(QsciScintillaBase::SCI_SCROLLCARET);
        doc->PosChange();
    });
}
