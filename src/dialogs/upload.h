#pragma once
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

namespace ts {

// Where the files go, as the FTP preferences describe it.
struct UploadAccount {
    QString host;      // "ftp.example.org", or with "ftp://", "ftps://" (explicit TLS), "sftp://" and a port
    QString user;
    QString password;
    QString folder;    // remote folder; absolute when it starts with "/", else below the login folder
};

enum class UploadProtocol { Ftp, FtpTls, Sftp };

struct UploadTarget {
    UploadProtocol protocol = UploadProtocol::Ftp;
    QString host;
    int port = 21;
};

// Reads the host setting; throws TError when it names no host or another protocol.
UploadTarget parseUploadHost(const QString& host);

// The name a local file gets on the server: its bare file name.
QString remoteName(const QString& path);

struct UploadResult {
    QString file;    // the bare name it was to get on the server
    bool arrived = false;
    QString message; // why it failed
};

// One line per file: "name: arrived" or "name: " and the reason.
QString uploadReport(const std::vector<UploadResult>& results);

// Sends files one after another on a worker thread that touches no widget.
// Each file goes to a temporary name first and is renamed when complete, so
// nothing half-sent ever carries the final name, and an earlier version stays
// until the new one is in place. A file whose remote name an earlier file of
// the list already takes is not sent. Signals come on the thread that owns
// this object.
class Upload : public QObject {
    Q_OBJECT

public:
    Upload(UploadAccount account, QStringList files, QObject* parent = nullptr);
    ~Upload() override; // cancels and waits for the worker

    void start();
    void cancel();
    // Valid once finished() has come.
    const std::vector<UploadResult>& results() const { return m_results; }

signals:
    void fileStarted(int index, const QString& name);
    void progress(qint64 done, qint64 total);
    void finished();

private:
    void run();
    UploadResult send(int index, const QString& path, qint64& doneBefore, qint64 total);
    void useSshKey(void* handle) const; // a CURL handle

    // What the remote folder holds under a name, as its SFTP listing shows it.
    struct RemoteFile {
        char type = '-';         // as "ls -l" shows it: '-' a file, 'd' a folder, 'l' a link
        std::optional<int> mode; // permission bits of a file
    };
    static QHash<QByteArray, RemoteFile> parseListing(const QByteArray& listing);

    UploadAccount m_account;
    QStringList m_files;
    std::vector<UploadResult> m_results;
    std::atomic<bool> m_cancel{false};
    QStringList m_sshKeys; // the user's keys in ~/.ssh
    qsizetype m_sshKey = 0; // the one being offered
    QString m_fatal; // a failure that holds for every later file (login, certificate, ...)
    std::optional<QHash<QByteArray, RemoteFile>> m_remoteFiles; // listed once per upload
    std::thread m_worker;
};

} // namespace ts
