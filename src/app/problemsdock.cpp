#include "app/problemsdock.h"

#include "editor/htmlcheck.h"
#include "editor/problemmarks.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "platform/command.h"
#include "settings/tquillonregistry.h"

#include <QAction>
#include <QCloseEvent>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <memory>

namespace ts {

namespace {

const QString kViewKey = QStringLiteral("Software\\Quillon\\Tagsmith\\Application\\View");
const QString kShownValue = QStringLiteral("Problems");

using Sci = QsciScintillaBase;
using Problems = std::vector<HtmlProblem>;

} // namespace

// What the list knows about one document: its last result and the check
// under way. Lives with the document's editor.
class DocumentCheck : public QObject {
    Q_OBJECT
public:
    static DocumentCheck* Find(const THTML& doc) {
        return doc.RichEdit()->findChild<DocumentCheck*>(QString(), Qt::FindDirectChildrenOnly);
    }
    static DocumentCheck& Of(THTML& doc, TProblemsDock& dock) {
        if (DocumentCheck* c = Find(doc)) return *c;
        return *new DocumentCheck(doc, dock);
    }
    ~DocumentCheck() override { Stop(); }

    // Ends the check under way, if any; its result is never taken.
    void Stop() {
        if (control) control->cancel = true;
        control.reset();
        delete watcher;
        watcher = nullptr;
    }
    // Back to no result and no marks.
    void Forget() {
        Stop();
        hasResult = false;
        changedDuringCheck = false;
        problems.clear();
        TProblemMarks::Of(editor).Clear();
    }
    bool Running() const { return watcher != nullptr; }
    bool Large() const { return editor.ByteLength() > TProblemsDock::kLargeDocumentBytes; }

    QPointer<THTML> doc;
    TSRichEdit& editor;
    QPointer<TProblemsDock> dock;
    // Counts the edits of the text, so a result can tell whether it still fits.
    quint64 edits = 0;
    bool hasResult = false;
    Problems problems;
    // The text of a large document changed while it was checked.
    bool changedDuringCheck = false;

    // The check under way.
    QFutureWatcher<Problems>* watcher = nullptr;
    std::shared_ptr<HtmlCheckControl> control;
    quint64 checkedEdits = 0;
    qint64 checkedBytes = 0;
    bool checkLarge = false;

private:
    DocumentCheck(THTML& d, TProblemsDock& owner)
        : QObject(d.RichEdit()), doc(&d), editor(*d.RichEdit()), dock(&owner) {
        m_pause.setSingleShot(true);
        m_pause.setInterval(TProblemsDock::kPauseMs);
        connect(&m_pause, &QTimer::timeout, this, [this] {
            if (dock && dock->Shown() && doc) dock->start(*this, false);
        });
        // The editor announces every edit before it happens (see TSRichEdit).
        connect(&editor, &Sci::SCN_MODIFIED, this, [this](int, int type) {
            if (!(type & (Sci::SC_MOD_BEFOREINSERT | Sci::SC_MOD_BEFOREDELETE))) return;
            edited();
        });
        connect(&editor, &TSRichEdit::Loaded, this, [this] { edited(); });
    }

    void edited() {
        ++edits;
        if (dock && dock->Shown() && !Large()) m_pause.start();
    }

    QTimer m_pause;
};

TProblemsDock::TProblemsDock(QMdiArea& documents, QWidget* parent)
    : QDockWidget(QStringLiteral("Problems"), parent), m_documents(&documents) {
    setObjectName(QStringLiteral("dkProblems"));
    m_pool.setMaxThreadCount(1);

    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    m_list = new QTreeWidget(body);
    m_list->setObjectName(QStringLiteral("lvProblems"));
    m_list->setHeaderLabels({QStringLiteral("Line"), QStringLiteral("Column"), QStringLiteral("Kind"),
                             QStringLiteral("Message")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setStretchLastSection(true);
    for (int column = 0; column < 3; ++column) m_list->header()->resizeSection(column, 70);
    layout->addWidget(m_list, 1);

    m_progressBar = new QWidget(body);
    auto* row = new QHBoxLayout(m_progressBar);
    row->setContentsMargins(4, 0, 4, 2);
    m_progress = new QProgressBar(m_progressBar);
    m_progress->setObjectName(QStringLiteral("pbCheck"));
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), m_progressBar);
    m_cancel->setObjectName(QStringLiteral("bbCancelCheck"));
    row->addWidget(m_progress, 1);
    row->addWidget(m_cancel);
    m_progressBar->hide();
    layout->addWidget(m_progressBar);
    setWidget(body);

    m_poll = new QTimer(this);
    m_poll->setInterval(100);
    connect(m_poll, &QTimer::timeout, this, &TProblemsDock::showProgress);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        runCommand(this, [this] {
            if (DocumentCheck* c = m_doc ? DocumentCheck::Find(*m_doc) : nullptr) c->Stop();
            showProgress();
        });
    });
    connect(m_list, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { runCommand(this, [&] { activated(item); }); });
    // Shown or hidden from the main window's context menu.
    connect(toggleViewAction(), &QAction::triggered, this, &TProblemsDock::storeVisibility);
    connect(&documents, &QMdiArea::subWindowActivated, this, &TProblemsDock::follow);
    hide();
}

TProblemsDock::~TProblemsDock() {
    // The pool waits for its check as it goes; a stopped one ends soon.
    for (THTML* doc : documents())
        if (DocumentCheck* c = DocumentCheck::Find(*doc)) c->Stop();
}

THTML* TProblemsDock::Document() const {
    return m_doc;
}

QMdiSubWindow* TProblemsDock::activeWindow() const {
    if (!m_documents) return nullptr;
    QMdiSubWindow* sub = m_documents->activeSubWindow();
    return sub ? sub : m_documents->currentSubWindow();
}

QList<THTML*> TProblemsDock::documents() const {
    QList<THTML*> docs;
    if (!m_documents) return docs;
    for (QMdiSubWindow* sub : m_documents->subWindowList())
        if (auto* doc = qobject_cast<THTML*>(sub->widget())) docs << doc;
    return docs;
}

void TProblemsDock::RestoreVisibility() {
    bool shown = false;
    try {
        shown = std::get<bool>(TQuillonRegistry().ReadValue(hkey::CurrentUser, kViewKey, kShownValue, false));
    } catch (const std::exception&) {
        // Unreadable settings are reported at start; the list stays hidden.
    }
    setVisible(shown);
}

void TProblemsDock::storeVisibility(bool shown) {
    runCommand(this, [&] { TQuillonRegistry().WriteValue(hkey::CurrentUser, kViewKey, kShownValue, shown); });
}

void TProblemsDock::closeEvent(QCloseEvent* e) {
    QDockWidget::closeEvent(e);
    if (e->isAccepted()) storeVisibility(false);
}

void TProblemsDock::setVisible(bool visible) {
    const bool was = !isHidden();
    QDockWidget::setVisible(visible);
    if (visible == was) return;
    if (visible) {
        follow(activeWindow());
        return;
    }
    // Nobody looks: no checks, and no marks that would only grow old.
    for (THTML* doc : documents())
        if (DocumentCheck* c = DocumentCheck::Find(*doc)) c->Forget();
    showList();
    showProgress();
}

void TProblemsDock::CheckActiveDocument() {
    if (isHidden()) {
        show();
        storeVisibility(true);
    }
    QMdiSubWindow* sub = activeWindow();
    auto* doc = sub ? qobject_cast<THTML*>(sub->widget()) : nullptr;
    if (!doc) return;
    if (doc != m_doc) follow(sub);
    DocumentCheck& check = DocumentCheck::Of(*doc, *this);
    start(check, check.Large());
}

void TProblemsDock::follow(QMdiSubWindow* sub) {
    // No active window at all (the frame lost the focus): the list stays.
    if (!sub) return;
    auto* doc = qobject_cast<THTML*>(sub->widget());
    if (doc != m_doc) {
        if (m_doc) disconnect(m_doc, &QObject::destroyed, this, nullptr);
        m_doc = doc;
        if (doc)
            connect(doc, &QObject::destroyed, this, [this] {
                // Only its QObject is left: let go of it before anything looks.
                m_doc = nullptr;
                showList();
                showProgress();
            });
    }
    showList();
    showProgress();
    if (!doc || isHidden()) return;
    DocumentCheck& check = DocumentCheck::Of(*doc, *this);
    // A file still being read is checked once it is all in (Loaded).
    if (!check.hasResult && !check.Running() && !check.changedDuringCheck && !check.editor.Loading() &&
        !check.Large())
        start(check, false);
}

void TProblemsDock::start(DocumentCheck& check, bool large) {
    // Also runs from timers and window switches, outside any command.
    runCommand(this, [&] { startCheck(check, large); });
}

void TProblemsDock::startCheck(DocumentCheck& check, bool large) {
    check.Stop();
    // The worker gets a copy: the editor's buffer moves with every edit.
    const std::string_view text = check.editor.DocumentBytes();
    const QByteArray copy(text.data(), qsizetype(text.size()));
    check.control = std::make_shared<HtmlCheckControl>();
    check.checkedEdits = check.edits;
    check.checkedBytes = copy.size();
    check.checkLarge = large;
    auto* watcher = new QFutureWatcher<Problems>(&check);
    check.watcher = watcher;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, &check, watcher] {
        if (check.watcher == watcher) runCommand(this, [&] { finished(check); });
    });
    watcher->setFuture(QtConcurrent::run(&m_pool, [copy, control = check.control] {
        return checkHtml(std::string_view(copy.constData(), size_t(copy.size())), control.get());
    }));
    if (check.doc == m_doc) showProgress();
    emit CheckStarted(check.doc);
}

void TProblemsDock::finished(DocumentCheck& check) {
    QFutureWatcher<Problems>* watcher = check.watcher;
    check.watcher = nullptr;
    watcher->deleteLater();
    const std::shared_ptr<HtmlCheckControl> control = std::move(check.control);
    const bool followed = check.doc == m_doc;
    if (control->cancel) {
        if (followed) showProgress();
        return;
    }
    if (check.edits != check.checkedEdits) {
        // Found in a text that is gone. A small document is checked again
        // after the next pause; a large one only when asked.
        if (check.checkLarge) check.changedDuringCheck = true;
        if (followed) {
            showList();
            showProgress();
        }
        return;
    }
    check.problems = watcher->result();
    check.hasResult = true;
    check.changedDuringCheck = false;
    TProblemMarks::Of(check.editor).Show(check.problems);
    if (followed) {
        showList();
        showProgress();
    }
    emit ResultShown(check.doc);
}

void TProblemsDock::showList() {
    m_list->clear();
    const DocumentCheck* check = m_doc ? DocumentCheck::Find(*m_doc) : nullptr;
    if (!check) return;
    auto note = [this](const QString& text) {
        auto* item = new QTreeWidgetItem(m_list, {text});
        item->setFirstColumnSpanned(true);
    };
    if (check->changedDuringCheck) {
        note(QStringLiteral("The text changed during the check: press F7 to check it again."));
        return;
    }
    if (!check->hasResult) return;
    if (check->problems.empty()) {
        note(QStringLiteral("No problems found."));
        return;
    }
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(check->problems.size()));
    for (size_t i = 0; i < check->problems.size(); ++i) {
        const HtmlProblem& p = check->problems[i];
        const bool placed = p.line > 0;
        auto* item = new QTreeWidgetItem({placed ? QString::number(p.line) : QString(),
                                          placed ? QString::number(p.column) : QString(), p.kind, p.message});
        item->setData(0, Qt::UserRole, qulonglong(i));
        rows << item;
    }
    m_list->addTopLevelItems(rows);
}

void TProblemsDock::showProgress() {
    const DocumentCheck* check = m_doc ? DocumentCheck::Find(*m_doc) : nullptr;
    const bool on = !isHidden() && check && check->Running() && check->checkLarge;
    m_progressBar->setVisible(on);
    if (!on) {
        m_poll->stop();
        return;
    }
    if (!m_poll->isActive()) m_poll->start();
    const qint64 read = check->control->bytesRead.load(std::memory_order_relaxed);
    // Reading is measured; the repair after it is not.
    if (read >= check->checkedBytes) {
        m_progress->setRange(0, 0);
    } else {
        m_progress->setRange(0, 1000);
        m_progress->setValue(int(read * 1000 / std::max<qint64>(check->checkedBytes, 1)));
    }
}

void TProblemsDock::activated(QTreeWidgetItem* item) {
    const QVariant index = item->data(0, Qt::UserRole);
    const DocumentCheck* check = m_doc ? DocumentCheck::Find(*m_doc) : nullptr;
    if (!index.isValid() || !check || index.toULongLong() >= check->problems.size()) return;
    const HtmlProblem& p = check->problems[index.toULongLong()];
    if (p.line <= 0) return;
    TSRichEdit* editor = m_doc->RichEdit();
    editor->SetCaretRow(p.line - 1);
    editor->SetCaretCol(p.column - 1);
    editor->setFocus();
}

} // namespace ts

#include "problemsdock.moc"
