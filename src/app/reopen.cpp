#include "app/reopen.h"

#include "app/openfiles.h"
#include "app/recentfiles.h"
#include "app/tmain.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "platform/command.h"
#include "settings/tquillonregistry.h"

#include <QAction>
#include <QEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSignalBlocker>

namespace ts {

namespace {

const QString kKey = QStringLiteral("Software\\Quillon\\Tagsmith\\Application\\Reopen");

QString numbered(const char* name, size_t i) { return QLatin1String(name) + QString::number(i + 1); }

QString readText(TQuillonRegistry& registry, const QString& name) {
    return std::get<QString>(registry.ReadValue(hkey::CurrentUser, kKey, name, QString()));
}

int readNumber(TQuillonRegistry& registry, const QString& name) {
    return std::get<int32_t>(registry.ReadValue(hkey::CurrentUser, kKey, name, int32_t(0)));
}

// Opens the documents of the last run one after the other, each in a turn of
// its own, once the frame has painted its first picture.
class StartDocuments : public QObject {
public:
    StartDocuments(TMain& main, ReopenList list, QString file)
        : QObject(&main), m_main(main), m_list(std::move(list)), m_file(std::move(file)) {
        main.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        // Queued from the paint: runs once the picture has gone to the screen.
        if (watched == &m_main && e->type() == QEvent::Paint && !m_started) {
            m_started = true;
            m_main.removeEventFilter(this);
            next();
        }
        return false;
    }

private:
    void next() { QMetaObject::invokeMethod(this, [this] { step(); }, Qt::QueuedConnection); }

    void step() {
        // Closed meanwhile: nothing more opens.
        if (!m_main.isVisible()) {
            deleteLater();
            return;
        }
        if (m_next < m_list.documents.size()) {
            open(m_list.documents[m_next++]);
            next();
            return;
        }
        finish();
    }

    void open(const ReopenDocument& entry) {
        QPointer<THTML> doc;
        if (!QFileInfo::exists(entry.file)) {
            m_missing << entry.file;
        } else if ((doc = documentOfFile(m_main, entry.file))) {
            // Recovered already, with its unsaved text: that one stays as it is.
        } else {
            doc = m_main.CreateDocument();
            doc->SetFileName(entry.file);
            if (runCommand(&m_main, [&] { doc->LoadDocument(); })) {
                doc->RichEdit()->SetCaretRow(entry.line);
                doc->RichEdit()->SetCaretCol(entry.column);
                m_main.ShowDocument(doc);
            } else {
                // The error named it; a window without its text would only invite saving over it.
                doc->CloseApproved();
                doc = nullptr;
            }
        }
        m_opened << doc;
    }

    void finish() {
        if (!m_file.isEmpty())
            showFile(m_main, m_file);
        else if (m_list.active >= 0 && m_list.active < m_opened.size() && m_opened[m_list.active])
            m_main.ShowDocument(m_opened[m_list.active]);
        if (!m_missing.isEmpty())
            messages().warning(&m_main, QStringLiteral("These documents of the last session no longer exist and "
                                                       "were not opened again:\n%1")
                                            .arg(m_missing.join(QLatin1Char('\n'))));
        deleteLater();
    }

    TMain& m_main;
    ReopenList m_list;
    QString m_file;
    bool m_started = false;
    size_t m_next = 0;
    QList<QPointer<THTML>> m_opened;
    QStringList m_missing;
};

} // namespace

ReopenList readReopenList() {
    TQuillonRegistry registry;
    ReopenList list;
    for (size_t i = 0;; ++i) {
        const QString file = readText(registry, numbered("File", i));
        if (file.isEmpty()) break;
        list.documents.push_back(
            {file, readNumber(registry, numbered("Line", i)), readNumber(registry, numbered("Column", i))});
    }
    const int active = readNumber(registry, QStringLiteral("Active")) - 1;
    if (active >= 0 && size_t(active) < list.documents.size()) list.active = active;
    return list;
}

void writeReopenList(const ReopenList& list) {
    TQuillonRegistry().Update([&](TQuillonRegistry& registry) {
        const size_t n = list.documents.size();
        for (size_t i = 0; i < n; ++i) {
            const ReopenDocument& d = list.documents[i];
            registry.WriteValue(hkey::CurrentUser, kKey, numbered("File", i), d.file);
            registry.WriteValue(hkey::CurrentUser, kKey, numbered("Line", i), int32_t(d.line));
            registry.WriteValue(hkey::CurrentUser, kKey, numbered("Column", i), int32_t(d.column));
        }
        // The list ends at the first empty name; no path of a longer list before lingers.
        for (size_t i = n;; ++i) {
            bool stored = true;
            try {
                stored = !readText(registry, numbered("File", i)).isEmpty();
            } catch (const TError&) {
            }
            if (!stored) break;
            registry.WriteValue(hkey::CurrentUser, kKey, numbered("File", i), QString());
        }
        registry.WriteValue(hkey::CurrentUser, kKey, QStringLiteral("Active"), int32_t(list.active + 1));
    });
}

bool restoreDocumentsAtStart() {
    return std::get<bool>(TQuillonRegistry().ReadValue(hkey::CurrentUser, kKey, QStringLiteral("Restore"), true));
}

void setRestoreDocumentsAtStart(bool on) {
    TQuillonRegistry().WriteValue(hkey::CurrentUser, kKey, QStringLiteral("Restore"), on);
}

void addReopenSwitch(TMain& main, QMenu* options) {
    auto* action = new QAction(QStringLiteral("&Restore documents at start"), &main);
    action->setObjectName(QStringLiteral("miReopenDocuments"));
    action->setCheckable(true);
    action->setChecked(true);
    // As stored, also by another running copy; unreadable settings were
    // reported at start and leave the mark as it is.
    auto show = [action] {
        try {
            const QSignalBlocker quiet(action);
            action->setChecked(restoreDocumentsAtStart());
        } catch (const TError&) {
        }
    };
    show();
    QObject::connect(options, &QMenu::aboutToShow, action, show);
    QObject::connect(action, &QAction::triggered, &main, [&main, action](bool on) {
        if (runCommand(&main, [&] { setRestoreDocumentsAtStart(on); })) return;
        const QSignalBlocker quiet(action);
        action->setChecked(!on);
    });
    options->addAction(action);
}

void openStartDocuments(TMain& main, const QString& file) {
    ReopenList list;
    runCommand(&main, [&] {
        if (restoreDocumentsAtStart()) list = readReopenList();
    });
    if (!list.documents.empty()) {
        new StartDocuments(main, std::move(list), file);
        return;
    }
    if (!file.isEmpty()) showFile(main, file);
}

ExitRecord::ExitRecord(TMain& main) : m_main(main) {
    for (THTML* doc : main.Documents())
        if (doc->FileName() == untitledName()) m_untitled << doc;
}

void ExitRecord::Commit() {
    ReopenList list;
    const THTML* active = m_main.ActiveDocument();
    for (QMdiSubWindow* sub : m_main.MdiArea()->subWindowList(QMdiArea::CreationOrder)) {
        const auto* doc = qobject_cast<THTML*>(sub->widget());
        if (!doc || doc->FileName() == untitledName()) continue;
        if (doc == active) list.active = int(list.documents.size());
        list.documents.push_back({QFileInfo(doc->FileName()).absoluteFilePath(), doc->RichEdit()->CaretRow(),
                                  doc->RichEdit()->CaretCol()});
    }
    runCommand(&m_main, [&] {
        writeReopenList(list);
        for (const QPointer<THTML>& doc : m_untitled)
            if (doc && doc->FileName() != untitledName()) addRecentFile(doc->FileName());
    });
}

} // namespace ts
