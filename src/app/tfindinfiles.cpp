#include "app/tfindinfiles.h"

#include "app/openfiles.h"
#include "app/tmain.h"
#include "editor/lineeditor.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "platform/command.h"
#include "platform/commondialogs.h"
#include "platform/messages.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentMap>

namespace ss = ts::sitesearch;

namespace {

// One file to search: its text in the editor when it is open there.
struct Item {
    QString path;
    QByteArray editorText;
    bool inEditor = false;
};

QString absolute(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

QString canonical(const QString& path) {
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? absolute(path) : real;
}

enum Role { PathRole = Qt::UserRole, StartRole, EndRole, LineRole };

} // namespace

TFindInFiles::TFindInFiles(TMain& main) : QDialog(&main), m_main(main) {
    setObjectName(QStringLiteral("TFindInFiles"));
    setWindowTitle(QStringLiteral("Find in files"));
    setModal(false);

    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    m_folder = new QLineEdit(this);
    named(m_folder, "eFolder");
    m_folderButton = new QToolButton(this);
    named(m_folderButton, "sbFolder");
    m_folderButton->setText(QStringLiteral("..."));
    m_masks = new QLineEdit(QStringLiteral("*.htm;*.html"), this);
    named(m_masks, "eMasks");
    m_text = new QLineEdit(this);
    named(m_text, "eText");
    m_replace = new QLineEdit(this);
    named(m_replace, "eReplace");
    m_case = new QCheckBox(QStringLiteral("&Case sensitive"), this);
    named(m_case, "cbCase");
    m_wholeWord = new QCheckBox(QStringLiteral("&Whole words"), this);
    named(m_wholeWord, "cbWholeWord");
    m_subfolders = new QCheckBox(QStringLiteral("&Subfolders"), this);
    named(m_subfolders, "cbSubfolders");
    m_subfolders->setChecked(true);
    m_find = new QPushButton(QStringLiteral("&Find"), this);
    named(m_find, "bbFind");
    m_find->setDefault(true);
    m_replaceAll = new QPushButton(QStringLiteral("&Replace all"), this);
    named(m_replaceAll, "bbReplaceAll");
    m_close = new QPushButton(QStringLiteral("Close"), this);
    named(m_close, "bbClose");
    m_progress = new QProgressBar(this);
    named(m_progress, "pbProgress");
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    named(m_cancel, "bbCancel");
    m_status = new QLabel(this);
    named(m_status, "lStatus");
    m_results = new QTreeWidget(this);
    named(m_results, "lvResults");
    m_results->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Line"), QStringLiteral("Text")});
    m_results->setRootIsDecorated(false);
    m_results->setUniformRowHeights(true);
    m_results->header()->setStretchLastSection(true);

    auto* grid = new QGridLayout;
    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label(QStringLiteral("F&older:"), m_folder), 0, 0);
    grid->addWidget(m_folder, 0, 1);
    grid->addWidget(m_folderButton, 0, 2);
    grid->addWidget(label(QStringLiteral("File &masks:"), m_masks), 1, 0);
    grid->addWidget(m_masks, 1, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("&Text:"), m_text), 2, 0);
    grid->addWidget(m_text, 2, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("Re&place with:"), m_replace), 3, 0);
    grid->addWidget(m_replace, 3, 1, 1, 2);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_case);
    checks->addWidget(m_wholeWord);
    checks->addWidget(m_subfolders);
    checks->addStretch();
    grid->addLayout(checks, 4, 1, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_find);
    buttons->addWidget(m_replaceAll);
    buttons->addWidget(m_close);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(grid, 1);
    top->addLayout(buttons);
    auto* running = new QHBoxLayout;
    running->addWidget(m_progress, 1);
    running->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(running);
    layout->addWidget(m_status);
    layout->addWidget(m_results, 1);
    resize(640, 480);
    setRunning(false, 0);

    connect(m_find, &QPushButton::clicked, this, &TFindInFiles::bbFindClick);
    connect(m_replaceAll, &QPushButton::clicked, this, &TFindInFiles::bbReplaceAllClick);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_cancel, &QPushButton::clicked, this, &TFindInFiles::bbCancelClick);
    connect(m_folderButton, &QToolButton::clicked, this, &TFindInFiles::sbFolderClick);
    connect(m_results, &QTreeWidget::itemDoubleClicked, this, &TFindInFiles::lvResultsDoubleClick);
    connect(&m_searchWatcher, &QFutureWatcherBase::progressValueChanged, m_progress, &QProgressBar::setValue);
    connect(&m_replaceWatcher, &QFutureWatcherBase::progressValueChanged, m_progress, &QProgressBar::setValue);
    connect(&m_searchWatcher, &QFutureWatcherBase::finished, this, [this] { ts::runCommand(this, [this] { searchFinished(); }); });
    connect(&m_replaceWatcher, &QFutureWatcherBase::finished, this, [this] { ts::runCommand(this, [this] { replaceFinished(); }); });
}

TFindInFiles::~TFindInFiles() {
    // The workers hold nothing of the window, but their results come here.
    m_searchWatcher.cancel();
    m_replaceWatcher.cancel();
    m_searchWatcher.waitForFinished();
    m_replaceWatcher.waitForFinished();
}

bool TFindInFiles::Running() const { return m_searchWatcher.isRunning() || m_replaceWatcher.isRunning(); }

void TFindInFiles::StartFolder() {
    const THTML* doc = m_main.ActiveDocument();
    if (doc && doc->FileName() != untitledName()) m_folder->setText(QFileInfo(doc->FileName()).absolutePath());
    else m_folder->setText(QDir::currentPath());
}

void TFindInFiles::closeEvent(QCloseEvent* e) {
    // Closing the window ends what it runs: its results would have nowhere to go.
    bbCancelClick();
    QDialog::closeEvent(e);
}

void TFindInFiles::setRunning(bool running, int total) {
    m_progress->setRange(0, std::max(total, 1));
    m_progress->setValue(0);
    m_progress->setVisible(running);
    m_cancel->setVisible(running);
    m_find->setEnabled(!running);
    m_replaceAll->setEnabled(!running);
}

TFindInFiles::Query TFindInFiles::currentQuery() const {
    Query q;
    q.folder = m_folder->text();
    q.masks = m_masks->text();
    q.pattern = m_text->text();
    q.matchCase = m_case->isChecked();
    q.wholeWord = m_wholeWord->isChecked();
    q.subfolders = m_subfolders->isChecked();
    return q;
}

QString TFindInFiles::shownName(const QString& path) const {
    const QString rel = QDir(m_root).relativeFilePath(path);
    return rel.startsWith(QLatin1String("..")) ? path : rel;
}

void TFindInFiles::sbFolderClick() {
    ts::runCommand(this, [this] {
        if (const std::optional<QString> folder = ts::commonDialogs().folderName(this, m_folder->text()))
            m_folder->setText(*folder);
    });
}

void TFindInFiles::bbFindClick() {
    if (Running()) return;
    m_replaceAfterSearch = false;
    ts::runCommand(this, [this] { startSearch(); });
}

void TFindInFiles::bbReplaceAllClick() {
    if (Running()) return;
    ts::runCommand(this, [this] {
        // The found matches serve when nothing was changed in the fields since.
        if (m_searched && *m_searched == currentQuery()) {
            replaceAll();
            return;
        }
        m_replaceAfterSearch = startSearch();
    });
}

void TFindInFiles::bbCancelClick() {
    m_searchWatcher.cancel();
    m_replaceWatcher.cancel();
}

bool TFindInFiles::startSearch() {
    const Query q = currentQuery();
    if (q.pattern.isEmpty()) return false;
    if (!QFileInfo(q.folder).isDir()) {
        ts::messages().warning(this, QStringLiteral("The folder \u00BB%1\u00AB does not exist.").arg(q.folder));
        return false;
    }
    m_searched.reset();
    m_running = q;
    m_found.clear();
    m_editorTexts.clear();
    m_results->clear();
    m_status->clear();

    // Files and documents are matched by their real names, whatever links lead to them.
    QHash<QString, THTML*> open;
    for (THTML* doc : m_main.Documents())
        if (doc->FileName() != untitledName()) open.insert(canonical(doc->FileName()), doc);
    m_root = canonical(q.folder);
    QList<Item> items;
    for (const QString& file : ts::sitesearch::listFiles(m_root, q.masks, q.subfolders)) {
        Item item{absolute(file), {}, false};
        const QFileInfo info(file);
        if (THTML* doc = open.value(info.isSymLink() ? canonical(file) : item.path)) {
            const std::string_view text = doc->RichEdit()->DocumentBytes();
            item.editorText = QByteArray(text.data(), qsizetype(text.size()));
            item.inEditor = true;
            m_editorTexts.insert(item.path, item.editorText);
        }
        items << item;
    }
    m_searchTotal = int(items.size());
    setRunning(true, m_searchTotal);
    const QString pattern = q.pattern;
    const ts::search::Options options = q.options();
    m_searchWatcher.setFuture(QtConcurrent::mapped(std::move(items), [pattern, options](const Item& item) {
        if (!item.inEditor) return ss::searchFile(item.path, pattern, options);
        ss::FileResult r;
        r.path = item.path;
        r.matches = ss::matchesIn(std::string_view(item.editorText.constData(), size_t(item.editorText.size())),
                                  pattern, options);
        return r;
    }));
    return true;
}

void TFindInFiles::searchFinished() {
    const QFuture<ss::FileResult> future = m_searchWatcher.future();
    const bool cancelled = future.isCanceled();
    for (int i = 0; i < m_searchTotal; ++i)
        if (future.isResultReadyAt(i)) m_found.push_back(future.resultAt(i));
    setRunning(false, 0);
    showSearchResults(cancelled);
    if (!cancelled) m_searched = m_running;
    const bool replace = m_replaceAfterSearch && !cancelled;
    m_replaceAfterSearch = false;
    // A replacement that starts now reports its own end.
    if (!replace || !replaceAll()) emit Done();
}

void TFindInFiles::showSearchResults(bool cancelled) {
    QList<QTreeWidgetItem*> rows;
    int occurrences = 0, files = 0, binary = 0, unreadable = 0;
    for (const ss::FileResult& r : m_found) {
        const QString name = shownName(r.path);
        if (r.outcome == ss::Outcome::Binary) {
            ++binary;
            continue;
        }
        if (r.outcome == ss::Outcome::Unreadable) {
            ++unreadable;
            auto* row = new QTreeWidgetItem({name, QString(), r.reason});
            row->setData(0, PathRole, r.path);
            rows << row;
            continue;
        }
        if (!r.matches.empty()) ++files;
        for (const ss::Match& m : r.matches) {
            ++occurrences;
            auto* row = new QTreeWidgetItem({name, QString::number(m.line + 1), m.lineText});
            row->setData(0, PathRole, r.path);
            row->setData(0, StartRole, qulonglong(m.range.start));
            row->setData(0, EndRole, qulonglong(m.range.end));
            row->setData(0, LineRole, m.line);
            rows << row;
        }
    }
    m_results->clear();
    m_results->addTopLevelItems(rows);
    QString status = QStringLiteral("%1 occurrences in %2 files.").arg(occurrences).arg(files);
    if (unreadable) status += QStringLiteral(" %1 files could not be read.").arg(unreadable);
    if (binary) status += QStringLiteral(" %1 binary files skipped.").arg(binary);
    if (cancelled) status += QStringLiteral(" The search was cancelled.");
    m_status->setText(status);
}

void TFindInFiles::lvResultsDoubleClick(QTreeWidgetItem* item) {
    if (!item) return;
    const QString path = item->data(0, PathRole).toString();
    if (path.isEmpty()) return;
    ts::runCommand(this, [&] {
        ts::showFile(m_main, path);
        THTML* doc = ts::documentOfFile(m_main, path);
        if (!doc) return;
        TSRichEdit& editor = *doc->RichEdit();
        const QVariant start = item->data(0, StartRole), end = item->data(0, EndRole);
        if (!start.isValid()) return;
        const size_t s = start.toULongLong(), e = end.toULongLong();
        const std::string_view text = editor.DocumentBytes();
        // The text may have changed since the search: then the line is the best guess.
        if (e <= text.size() && ts::search::selectionMatches(text.substr(s, e - s), m_running.pattern)) {
            editor.SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(s), static_cast<long>(e));
        } else {
            editor.SetCaretRow(int(item->data(0, LineRole).toLongLong()));
            editor.SetCaretCol(0);
        }
        editor.SendScintilla(QsciScintillaBase::SCI_SCROLLCARET);
        doc->PosChange();
    });
}

bool TFindInFiles::replaceAll() {
    int occurrences = 0;
    std::vector<const ss::FileResult*> withMatches;
    for (const ss::FileResult& r : m_found)
        if (r.outcome == ss::Outcome::Searched && !r.matches.empty()) {
            occurrences += int(r.matches.size());
            withMatches.push_back(&r);
        }
    if (withMatches.empty()) {
        ts::messages().information(this, QStringLiteral("Cannot find \"") + m_running.pattern + QStringLiteral("\"."));
        return false;
    }
    // Files on disk are written with no undo: Enter does not do it.
    const QString question =
        QStringLiteral("Replace %1 occurrences in %2 files?").arg(occurrences).arg(withMatches.size());
    if (ts::messages().askYesNo(this, question, ts::Answer::No) != ts::Answer::Yes) return false;

    m_editorReplaced.clear();
    m_toWrite.clear();
    for (const ss::FileResult* r : withMatches) {
        if (m_editorTexts.contains(r->path)) {
            const QString skipped = replaceInEditor(*r);
            m_editorReplaced.push_back({r->path, skipped.isEmpty() ? int(r->matches.size()) : 0, skipped});
        } else if (ts::documentOfFile(m_main, r->path)) {
            // Writing the file would leave the open document behind it.
            m_editorReplaced.push_back(
                {r->path, 0, QStringLiteral("Skipped: the file was opened in the editor after the search.")});
        } else {
            m_toWrite.push_back(*r);
        }
    }
    // What was found is used up: another Replace all searches again.
    m_searched.reset();
    setRunning(true, int(m_toWrite.size()));
    const QString pattern = m_running.pattern, replacement = m_replace->text();
    const ts::search::Options options = m_running.options();
    m_replaceWatcher.setFuture(QtConcurrent::mapped(m_toWrite, [pattern, replacement, options](const ss::FileResult& r) {
        return ss::replaceInFile(r, pattern, replacement, options);
    }));
    return true;
}

QString TFindInFiles::replaceInEditor(const ss::FileResult& r) {
    THTML* doc = ts::documentOfFile(m_main, r.path);
    if (!doc) return QStringLiteral("Skipped: the document was closed after the search.");
    TSRichEdit& editor = *doc->RichEdit();
    const std::string_view text = editor.DocumentBytes();
    if (text != std::string_view(m_editorTexts.value(r.path).constData(), size_t(m_editorTexts.value(r.path).size())))
        return QStringLiteral("Skipped: the document was edited after the search.");
    // One edit from the first match to the end of the last: one undo step.
    const size_t first = r.matches.front().range.start, last = r.matches.back().range.end;
    std::vector<ts::search::Range> ranges;
    for (const ss::Match& m : r.matches) ranges.push_back({m.range.start - first, m.range.end - first});
    const QByteArray with = editor.ToDocumentBytes(m_replace->text());
    const std::string span = ss::replaceRanges(text.substr(first, last - first), ranges,
                                               std::string_view(with.constData(), size_t(with.size())));
    {
        TProgramChange change(editor);
        editor.SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(first),
                             static_cast<long>(last));
        editor.SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(span.size()),
                             span.data());
    }
    doc->PosChange();
    return QString();
}

void TFindInFiles::replaceFinished() {
    const QFuture<ss::ReplaceResult> future = m_replaceWatcher.future();
    std::vector<ss::ReplaceResult> results = m_editorReplaced;
    for (int i = 0; i < int(m_toWrite.size()); ++i) {
        if (future.isResultReadyAt(i)) results.push_back(future.resultAt(i));
        else results.push_back({m_toWrite[size_t(i)].path, 0, QStringLiteral("Skipped: cancelled.")});
    }
    setRunning(false, 0);
    QList<QTreeWidgetItem*> rows;
    int replaced = 0, files = 0, skipped = 0;
    for (const ss::ReplaceResult& r : results) {
        const QString text = r.reason.isEmpty() ? QStringLiteral("Replaced %1 occurrences.").arg(r.count) : r.reason;
        if (r.reason.isEmpty()) {
            replaced += r.count;
            ++files;
        } else {
            ++skipped;
        }
        auto* row = new QTreeWidgetItem({shownName(r.path), QString(), text});
        row->setData(0, PathRole, r.path);
        rows << row;
    }
    m_results->clear();
    m_results->addTopLevelItems(rows);
    QString status = QStringLiteral("%1 occurrences replaced in %2 files.").arg(replaced).arg(files);
    if (skipped) status += QStringLiteral(" %1 files skipped.").arg(skipped);
    m_status->setText(status);
    m_editorReplaced.clear();
    m_toWrite.clear();
    emit Done();
}
