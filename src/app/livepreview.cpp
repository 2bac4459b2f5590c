#include "app/livepreview.h"

#include "app/linemarkers.h"
#include "app/preview.h"
#include "editor/tdocument.h"
#include "editor/tsrichedit.h"
#include "platform/command.h"
#include "settings/tprefsrecord.h"
#include "settings/tquillonregistry.h"

#include <QAction>
#include <QBuffer>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QMimeDatabase>
#include <QTimer>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

namespace ts {

namespace {

constexpr char kScheme[] = "tagsmith";
// The host of pages that come from a file; an untitled document's page has
// another and so no folder to read from.
const QString kFileHost = QStringLiteral("doc");
const QString kUntitledHost = QStringLiteral("untitled");
const QString kViewKey = QStringLiteral("Software\\Quillon\\Tagsmith\\Application\\View");
const QString kRestoreScript = QStringLiteral("tagsmith-restore");
const QString kNotice = QStringLiteral("Too large for the live preview. Use File > Preview (F9).");

// The folder a document's page may read, canonical; empty for an untitled one.
QString folderOf(const QString& fileName) {
    if (fileName == untitledName()) return {};
    const QString folder = QFileInfo(fileName).absolutePath();
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? folder : canonical;
}

// Scrolls to the element that the given line of the text produced: the one
// marked with the nearest line at or above it that has a box on the page.
// Left alone when it is in sight already.
QString showLineCode(int line) {
    return QStringLiteral("(function(n){var best=null,bl=-1;"
                          "for(const e of document.querySelectorAll('[%1]')){"
                          "const l=+e.getAttribute('%1');"
                          "if(l<=n&&l>bl&&e.getClientRects().length){best=e;bl=l;}}"
                          "if(!best)return;const r=best.getBoundingClientRect();"
                          "if(r.top<0||r.bottom>innerHeight)best.scrollIntoView({block:'start'});})(%2);")
        .arg(QLatin1String(kLineAttribute))
        .arg(line);
}

// Asked of the page before an update: where the user has scrolled it, or
// null while the last update has not yet put its own position in place.
const QString kScrollQuery = QStringLiteral("window.tagsmithShown?[scrollX,scrollY]:null");

} // namespace

void registerLivePreviewScheme() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // As a page opened from disk: it may read local files (the guard below
    // keeps it to the document's folder), and scripts may fetch its files.
    scheme.setFlags(QWebEngineUrlScheme::LocalAccessAllowed | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

// Serves the copy of the text for the page, and the files of the document's
// folder and below for everything the page refers to.
class LivePreviewFiles : public QWebEngineUrlSchemeHandler {
public:
    LivePreviewFiles(LivePreview& live, QObject* parent) : QWebEngineUrlSchemeHandler(parent), m_live(live) {}

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        const QUrl url = job->requestUrl().adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment);
        if (job->requestMethod() != "GET") return job->fail(QWebEngineUrlRequestJob::RequestDenied);
        if (url == m_live.m_pageUrl) {
            auto* page = new QBuffer(job);
            page->setData(m_live.m_served);
            page->open(QIODevice::ReadOnly);
            // The editor's text is UTF-8 whatever the file's encoding.
            return job->reply(QByteArrayLiteral("text/html;charset=utf-8"), page);
        }
        if (url.host() != kFileHost) return job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        const QFileInfo info(url.path());
        const QString path = info.canonicalFilePath();
        if (path.isEmpty() || info.isDir()) return job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        if (!m_live.mayRead(path)) return job->fail(QWebEngineUrlRequestJob::RequestDenied);
        auto* file = new QFile(path, job);
        if (!file->open(QIODevice::ReadOnly)) return job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        job->reply(m_types.mimeTypeForFile(path).name().toLatin1(), file);
    }

private:
    LivePreview& m_live;
    QMimeDatabase m_types;
};

// Refuses the page every local file outside the document's folder (a BASE
// element or an address may point anywhere).
class LivePreviewGuard : public QWebEngineUrlRequestInterceptor {
public:
    LivePreviewGuard(LivePreview& live, QObject* parent) : QWebEngineUrlRequestInterceptor(parent), m_live(live) {}

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QUrl url = info.requestUrl();
        if (!url.isLocalFile()) return;
        const QString path = QFileInfo(url.toLocalFile()).canonicalFilePath();
        if (path.isEmpty() || !m_live.mayRead(path)) info.block(true);
    }

private:
    LivePreview& m_live;
};

// The page in the dock: links go to the outside browser, the page itself
// stays put.
class LivePreviewPage : public QWebEnginePage {
public:
    LivePreviewPage(QWebEngineProfile* profile, LivePreview& live, QObject* parent)
        : QWebEnginePage(profile, parent), m_live(live) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        switch (type) {
        case NavigationTypeLinkClicked:
            // A fragment of this very page scrolls it.
            if (isMainFrame && url.hasFragment() &&
                url.adjusted(QUrl::RemoveFragment) == this->url().adjusted(QUrl::RemoveFragment))
                return true;
            // Not from inside the engine's callback: the browser's start may fail with a message.
            QMetaObject::invokeMethod(&m_live, [live = &m_live, url] { live->openOutside(url); },
                                      Qt::QueuedConnection);
            return false;
        case NavigationTypeTyped:
        case NavigationTypeReload:
        case NavigationTypeRedirect:
            return true;
        case NavigationTypeFormSubmitted:
        case NavigationTypeBackForward:
            return false;
        default:
            // Frames inside the page load as they like; the page itself is not
            // taken elsewhere by its scripts.
            return !isMainFrame;
        }
    }
    // The page loads again at every pause in the typing: a box each time
    // would stop the typing.
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }

private:
    LivePreview& m_live;
};

LivePreview::LivePreview(QMainWindow& main) : QObject(&main), m_main(main) {
    m_dock = new QDockWidget(QStringLiteral("Live preview"), &main);
    m_dock->setObjectName(QStringLiteral("dkLivePreview"));
    m_dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    main.addDockWidget(Qt::RightDockWidgetArea, m_dock);
    m_dock->hide();
    QAction* toggle = m_dock->toggleViewAction();
    toggle->setObjectName(QStringLiteral("miLivePreview"));
    toggle->setText(QStringLiteral("&Live preview"));
    toggle->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F9));
    connect(m_dock, &QDockWidget::visibilityChanged, this, &LivePreview::visibilityChanged);

    m_pause = new QTimer(this);
    m_pause->setSingleShot(true);
    m_pause->setInterval(kPauseMs);
    connect(m_pause, &QTimer::timeout, this, [this] { runCommand(m_view, [this] { render(); }); });
}

LivePreview::~LivePreview() {
    // The page goes before its profile.
    delete m_view;
    delete m_page;
    delete m_profile;
}

QAction* LivePreview::ToggleAction() const { return m_dock->toggleViewAction(); }

QWebEngineView* LivePreview::View() const { return m_view; }

QUrl LivePreview::PageUrl(const QString& fileName) {
    QUrl url;
    url.setScheme(QString::fromLatin1(kScheme));
    if (fileName == untitledName()) {
        url.setHost(kUntitledHost);
        url.setPath(QStringLiteral("/"));
    } else {
        url.setHost(kFileHost);
        url.setPath(QFileInfo(fileName).absoluteFilePath());
    }
    return url;
}

QUrl LivePreview::OutsideUrl(const QUrl& url) {
    if (url.scheme() == QLatin1String(kScheme)) {
        if (url.host() != kFileHost) return {};
        QUrl file = QUrl::fromLocalFile(url.path());
        file.setQuery(url.query(QUrl::FullyEncoded), QUrl::StrictMode);
        file.setFragment(url.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
        return file;
    }
    // What only means something inside this engine.
    static const QStringList inner = {QStringLiteral("about"),       QStringLiteral("blob"),
                                      QStringLiteral("data"),        QStringLiteral("javascript"),
                                      QStringLiteral("view-source"), QStringLiteral("chrome"),
                                      QStringLiteral("qrc")};
    if (!url.isValid() || inner.contains(url.scheme())) return {};
    return url;
}

bool LivePreview::mayRead(const QString& canonicalPath) const {
    if (m_folder.isEmpty()) return false;
    if (canonicalPath == m_folder) return true;
    return canonicalPath.startsWith(m_folder.endsWith(QLatin1Char('/')) ? m_folder : m_folder + QLatin1Char('/'));
}

bool LivePreview::shown() const { return m_view && m_dock->isVisible(); }

void LivePreview::ensureView() {
    if (m_view) return;
    // Off the record: nothing of the pages is kept on disk.
    m_profile = new QWebEngineProfile(this);
    m_files = new LivePreviewFiles(*this, m_profile);
    m_profile->installUrlSchemeHandler(QByteArray(kScheme), m_files);
    m_guard = new LivePreviewGuard(*this, m_profile);

    m_view = new QWebEngineView(m_dock);
    m_view->setObjectName(QStringLiteral("wvLivePreview"));
    m_page = new LivePreviewPage(m_profile, *this, m_view);
    m_page->setUrlRequestInterceptor(m_guard);
    // The keys stay with the text while the page loads again.
    m_page->settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    m_view->setPage(m_page);
    m_dock->setWidget(m_view);

    connect(m_page, &QWebEnginePage::loadFinished, this, [this] { emit Updated(); });
    connect(m_page, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        // A link with a target, or a script's window on a click: outside too.
        if (request.isUserInitiated()) openOutside(request.requestedUrl());
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        // Shown again fresh at the next edit.
        m_asking = m_lineBusy = m_lineAgain = false;
        m_pageUrl.clear();
        m_stale = true;
    });
}

void LivePreview::SetDocument(TDocument* doc) {
    if (doc == m_doc && (doc == nullptr) == (m_editor == nullptr)) return;
    for (const QMetaObject::Connection& c : m_docConnections) disconnect(c);
    m_docConnections.clear();
    m_doc = doc;
    m_editor = doc ? &doc->Editor() : nullptr;
    m_caretLine = -1;
    if (m_editor) {
        TSRichEdit* e = m_editor;
        int line = 0, index = 0;
        e->getCursorPosition(&line, &index);
        m_caretLine = line;
        // Sent just before every change of the text.
        m_docConnections << connect(e, &QsciScintillaBase::SCN_MODIFIED, this, [this] { edited(); });
        m_docConnections << connect(e, &TSRichEdit::Loaded, this, [this] { edited(); });
        m_docConnections << connect(e, &QsciScintilla::cursorPositionChanged, this,
                                    [this](int l, int) { caretMoved(l); });
        // Also after Save as: the document may have moved to another folder.
        m_docConnections << connect(doc, &TDocument::StatusChanged, this, [this] { statusChanged(); });
        m_docConnections << connect(doc, &TDocument::SavedAs, this, [this] { statusChanged(); });
        // The document goes before its editor.
        m_docConnections << connect(doc, &QObject::destroyed, this, [this] {
            m_editor = nullptr;
            m_doc = nullptr;
            m_stale = true;
            // Blank unless another document has become active meanwhile.
            QTimer::singleShot(0, this, [this] {
                if (!m_editor && m_stale && shown()) runCommand(m_view, [this] { render(); });
            });
        });
    }
    m_stale = true;
    m_pause->stop();
    if (shown()) runCommand(m_view, [this] { render(); });
}

bool LivePreview::UpdatePending() const { return m_pause->isActive(); }

void LivePreview::edited() {
    m_stale = true;
    if (shown()) m_pause->start();
}

void LivePreview::statusChanged() {
    if (m_doc && m_doc->FileName() != m_shownName) edited();
}

void LivePreview::caretMoved(int line) {
    if (line == m_caretLine) return;
    m_caretLine = line;
    if (shown() && m_editor && !m_notice) showLine();
}

void LivePreview::showLine() {
    if (m_lineBusy) {
        m_lineAgain = true;
        return;
    }
    m_lineBusy = true;
    QPointer<LivePreview> self(this);
    m_page->runJavaScript(showLineCode(m_caretLine), QWebEngineScript::ApplicationWorld, [self](const QVariant&) {
        if (!self) return;
        self->m_lineBusy = false;
        if (!self->m_lineAgain) return;
        self->m_lineAgain = false;
        self->showLine();
    });
}

void LivePreview::visibilityChanged(bool visible) {
    if (!visible) {
        m_pause->stop();
        // An answer still to come loads nothing; shown again, the text as it is then.
        if (m_asking) m_stale = true;
        m_asking = false;
        return;
    }
    runCommand(&m_main, [this] {
        if (!m_view && m_width > 0) m_main.resizeDocks({m_dock}, {m_width}, Qt::Horizontal);
        ensureView();
        if (m_stale) render();
    });
}

void LivePreview::render() {
    m_pause->stop();
    if (!shown()) return;
    m_stale = false;
    if (!m_editor) {
        m_notice = false;
        m_pageUrl.clear();
        m_served.clear();
        m_folder.clear();
        m_shownName.clear();
        m_page->setUrl(QUrl(QStringLiteral("about:blank")));
        return;
    }
    // A file still being read is shown once it is all in (Loaded).
    if (m_editor->Loading()) return;
    m_shownName = m_doc->FileName();
    if (m_editor->ByteLength() > kLargest) {
        // Not rendered at each pause: the notice stays until the text is smaller.
        if (m_notice) return;
        m_notice = true;
        m_pageUrl.clear();
        m_served.clear();
        m_folder.clear();
        m_page->setHtml(QStringLiteral("<!DOCTYPE html><html><body><p>%1</p></body></html>").arg(kNotice.toHtmlEscaped()));
        return;
    }
    if (m_notice || PageUrl(m_shownName) != m_pageUrl) return load(std::nullopt);
    // The same page again: first where the user has scrolled it to. The
    // answer loads the text as it is then.
    if (m_asking) return;
    m_asking = true;
    const int ask = ++m_askCount;
    QPointer<LivePreview> self(this);
    m_page->runJavaScript(kScrollQuery, QWebEngineScript::ApplicationWorld, [self, ask](const QVariant& v) {
        if (!self || !self->m_asking || ask != self->m_askCount) return;
        const QVariantList xy = v.toList();
        const std::optional<QPointF> at =
            xy.size() == 2 ? std::optional<QPointF>(QPointF(xy[0].toDouble(), xy[1].toDouble())) : self->m_target;
        runCommand(self->m_view, [&] { self->load(at); });
    });
    // A page whose script keeps it busy gets the last position again.
    QTimer::singleShot(kAskMs, this, [this, ask] {
        if (m_asking && ask == m_askCount) runCommand(m_view, [this] { load(m_target); });
    });
}

void LivePreview::load(std::optional<QPointF> scroll) {
    m_asking = false;
    ++m_askCount;
    // Changed meanwhile: gone, or grown too large.
    if (!m_editor || m_editor->ByteLength() > kLargest) return render();
    m_notice = false;
    m_target = scroll;
    m_shownName = m_doc->FileName();
    m_pageUrl = PageUrl(m_shownName);
    m_folder = folderOf(m_shownName);
    const std::string_view text = m_editor->DocumentBytes();
    m_served = withLineMarkers(QByteArrayView(text.data(), qsizetype(text.size())));

    // Put in place as soon as the new page is parsed, and once more when its
    // pictures have arrived and may have changed its height.
    const QString go = scroll ? QStringLiteral("scrollTo(%1,%2);").arg(scroll->x()).arg(scroll->y())
                              : showLineCode(m_caretLine);
    QWebEngineScript restore;
    restore.setName(kRestoreScript);
    restore.setInjectionPoint(QWebEngineScript::DocumentReady);
    restore.setWorldId(QWebEngineScript::ApplicationWorld);
    restore.setRunsOnSubFrames(false);
    // Chromium would also put a page loaded again where it was, after the
    // load and by its own rules: only one of the two may move it.
    restore.setSourceCode(QStringLiteral("(function(){history.scrollRestoration='manual';"
                                         "const go=function(){%1};go();window.tagsmithShown=true;"
                                         "if(document.readyState!=='complete')"
                                         "addEventListener('load',go,{once:true});})();")
                              .arg(go));
    QWebEngineScriptCollection& scripts = m_page->scripts();
    for (const QWebEngineScript& old : scripts.find(kRestoreScript)) scripts.remove(old);
    scripts.insert(restore);
    m_page->load(m_pageUrl);
}

void LivePreview::openOutside(const QUrl& url) {
    const QUrl target = OutsideUrl(url);
    if (target.isEmpty()) return;
    runCommand(m_view ? static_cast<QWidget*>(m_view) : &m_main,
               [&] { openInBrowser(target, TPrefsRecord::load().ExtBrowser); });
}

void LivePreview::RestoreView() {
    TQuillonRegistry registry;
    const bool visible =
        std::get<bool>(registry.ReadValue(hkey::CurrentUser, kViewKey, QStringLiteral("LivePreview"), false));
    const int width =
        std::get<int32_t>(registry.ReadValue(hkey::CurrentUser, kViewKey, QStringLiteral("LivePreviewWidth"), int32_t(0)));
    m_width = width;
    m_dock->setVisible(visible);
}

void LivePreview::SaveView() const {
    const bool visible = ToggleAction()->isChecked();
    const int32_t width = m_view ? m_dock->width() : m_width;
    TQuillonRegistry().Update([&](TQuillonRegistry& registry) {
        registry.WriteValue(hkey::CurrentUser, kViewKey, QStringLiteral("LivePreview"), visible);
        registry.WriteValue(hkey::CurrentUser, kViewKey, QStringLiteral("LivePreviewWidth"), width);
    });
}

} // namespace ts
