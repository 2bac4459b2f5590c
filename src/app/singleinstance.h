#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>

class QLocalServer;
class QLocalSocket;
class TMain;

namespace ts {

// A running copy that has not answered by then is taken for gone.
inline constexpr int kRunningCopyAnswerMs = 2000;

// One running copy per user and display. The first start listens on a local
// socket in the user's runtime folder; a later start hands its file over
// there and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Start {
        HandedOver, // a running copy took the file: this start ends here
        Serving,    // this is the running copy now
        Alone,      // no safe place for the socket: this copy runs on its own
    };

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket of this user's copy on this display, in $XDG_RUNTIME_DIR;
    // empty when that folder is missing, not the user's, or open to others.
    static QString socketPath();

    // Hands file (absolute, or empty just to bring that copy to the front) to
    // the running copy, or becomes it. A socket nobody listens on, or whose
    // copy does not answer in time, is taken over.
    Start start(const QString& file);
    // Files handed over from now on open in main, which comes to the front.
    void serve(TMain& main);

private:
    void accept();
    void read(QLocalSocket* socket);
    void handle(const QString& file, const QString& activationToken);

    QLocalServer* m_server = nullptr;
    QPointer<TMain> m_main;
    QString m_path;
    uint64_t m_device = 0, m_inode = 0; // of the socket this copy made
};

} // namespace ts
