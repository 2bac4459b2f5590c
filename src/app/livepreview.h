#pragma once
#include <QByteArray>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QPointF>
#include <QString>
#include <QUrl>
#include <optional>

class QAction;
class QDockWidget;
class QMainWindow;
class QTimer;
class QWebEngineProfile;
class QWebEngineView;
class TDocument;
class TSRichEdit;

namespace ts {

class LivePreviewPage;
class LivePreviewFiles;
class LivePreviewGuard;

// Registers the URL scheme the live preview serves its pages under; Qt
// WebEngine wants it before the application object is made.
void registerLivePreviewScheme();

// File > Live preview: a dock on the right of the main window showing the
// active document's text as a browser renders it, updated when the typing
// pauses. The browser engine starts the first time the dock is shown.
class LivePreview : public QObject {
    Q_OBJECT
public:
    // Documents above this many bytes get a notice instead.
    static constexpr qint64 kLargest = 5 * 1024 * 1024;
    static constexpr int kPauseMs = 150;
    // How long the page is given to say where it is scrolled to.
    static constexpr int kAskMs = 1000;

    explicit LivePreview(QMainWindow& main);
    ~LivePreview() override;

    QDockWidget* Dock() const { return m_dock; }
    // The menu entry that shows and hides the dock.
    QAction* ToggleAction() const;
    // nullptr until the dock is first shown.
    QWebEngineView* View() const;

    // The document to show; nullptr shows a blank page.
    void SetDocument(TDocument* doc);
    // An edit waits for the typing to pause.
    bool UpdatePending() const;

    // Visibility and width as the last run left them (read from the registry),
    // and written back.
    void RestoreView();
    void SaveView() const;

    // The page's address for a document file, and back: the address of a
    // file in its folder or below, or of anything else the page refers to,
    // as the outside browser gets it (empty when there is nothing to open).
    static QUrl PageUrl(const QString& fileName);
    static QUrl OutsideUrl(const QUrl& url);

signals:
    // The view has loaded the text as it was at the last pause.
    void Updated();

private:
    friend class LivePreviewPage;
    friend class LivePreviewFiles;
    friend class LivePreviewGuard;

    void ensureView();
    void edited();
    void caretMoved(int line);
    void statusChanged();
    void visibilityChanged(bool visible);
    // Takes a copy of the text and loads it, where the view is to keep its
    // scroll position (none: show the caret's line).
    void render();
    void load(std::optional<QPointF> scroll);
    void showLine();
    void openOutside(const QUrl& url);
    bool shown() const;
    // Whether the page may read the local file (by its canonical path).
    bool mayRead(const QString& canonicalPath) const;

    QMainWindow& m_main;
    QDockWidget* m_dock = nullptr;
    QPointer<QWebEngineView> m_view;
    QPointer<LivePreviewPage> m_page;
    QWebEngineProfile* m_profile = nullptr;
    LivePreviewFiles* m_files = nullptr;
    LivePreviewGuard* m_guard = nullptr;
    QTimer* m_pause = nullptr;

    QPointer<TDocument> m_doc;
    QPointer<TSRichEdit> m_editor;
    QList<QMetaObject::Connection> m_docConnections;

    // What the view shows: its address, the bytes served for it, the folder
    // it may read (canonical; empty for none) and the file name it came from.
    QUrl m_pageUrl;
    QByteArray m_served;
    QString m_folder;
    QString m_shownName;
    bool m_stale = true;   // the text changed since it was last loaded
    bool m_notice = false; // the view shows the notice for a large document
    // Where the last load put the page: a scroll position, or the caret's line.
    std::optional<QPointF> m_target;
    // The page is being asked for its scroll position (answer number m_askCount).
    bool m_asking = false;
    int m_askCount = 0;
    int m_caretLine = -1;
    bool m_lineBusy = false, m_lineAgain = false;
    int m_width = 0; // as restored, until the dock is first shown
};

} // namespace ts
