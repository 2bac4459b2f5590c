#include "dialogs/upload.h"

#include "platform/terror.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QUrl>

#include <curl/curl.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

namespace ts {

UploadTarget parseUploadHost(const QString& host) {
    const QString text = host.trimmed();
    if (text.isEmpty()) throw TError(QStringLiteral("No FTP host is set: enter it in the preferences."));
    const bool hasScheme = text.contains(QStringLiteral("://"));
    const QUrl url(hasScheme ? text : QStringLiteral("ftp://") + text, QUrl::StrictMode);
    UploadTarget t;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("ftp")) t.protocol = UploadProtocol::Ftp;
    else if (scheme == QLatin1String("ftps")) t.protocol = UploadProtocol::FtpTls;
    else if (scheme == QLatin1String("sftp")) t.protocol = UploadProtocol::Sftp;
    else throw TError(QStringLiteral("The FTP host \"%1\" names a protocol that cannot upload: use ftp://, ftps:// or sftp://.").arg(text));
    t.host = url.host();
    const QString path = url.path();
    if (!url.isValid() || t.host.isEmpty() || !url.userInfo().isEmpty() || !(path.isEmpty() || path == QLatin1String("/")) ||
        url.hasQuery() || url.hasFragment())
        throw TError(QStringLiteral("The FTP host \"%1\" is not a host name: give the folder as the initial directory.").arg(text));
    t.port = url.port(t.protocol == UploadProtocol::Sftp ? 22 : 21);
    return t;
}

QString remoteName(const QString& path) { return QFileInfo(path).fileName(); }

QString uploadReport(const std::vector<UploadResult>& results) {
    QStringList lines;
    for (const UploadResult& r : results)
        lines << r.file + QStringLiteral(": ") + (r.arrived ? QStringLiteral("arrived") : r.message);
    return lines.join(QLatin1Char('\n'));
}

namespace {

void globalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using List = std::unique_ptr<curl_slist, ListDeleter>;

void append(List& list, const QByteArray& line) { list.reset(curl_slist_append(list.release(), line.constData())); }

// Remote location of the folder, as URL path and as plain path for SFTP commands.
struct Folder {
    QByteArray urlPath;  // starts and ends with "/"
    QByteArray sftpPath; // starts and ends with "/"
};

Folder remoteFolder(UploadProtocol protocol, const QString& folder) {
    const bool absolute = folder.startsWith(QLatin1Char('/'));
    Folder f;
    if (protocol == UploadProtocol::Sftp) {
        f.urlPath = f.sftpPath = absolute ? "/" : "/~/";
    } else {
        // "%2F" makes the first folder change go to the root; otherwise it is below the login folder.
        f.urlPath = absolute ? "/%2F/" : "/";
    }
    for (const QString& part : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        f.urlPath += QUrl::toPercentEncoding(part) + '/';
        f.sftpPath += part.toUtf8() + '/';
    }
    return f;
}

QByteArray sftpQuoted(const QByteArray& path) {
    QByteArray q = path;
    q.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + q + '"';
}

// What one transfer shares with libcurl's callbacks on the worker thread.
struct Transfer {
    QFile* file = nullptr;
    const std::atomic<bool>* cancel = nullptr;
    std::function<void(qint64)> report;
    std::chrono::steady_clock::time_point lastReport;
    QByteArray lastReply;
    int hostKey = CURLKHMATCH_OK;
    QByteArray hostKeyFingerprint; // as ssh shows it: "SHA256:" and unpadded base64
};

size_t readFile(char* buffer, size_t size, size_t count, void* p) {
    auto* t = static_cast<Transfer*>(p);
    const qint64 got = t->file->read(buffer, qint64(size * count));
    return got < 0 ? CURL_READFUNC_ABORT : size_t(got);
}

size_t collect(char* buffer, size_t size, size_t count, void* p) {
    static_cast<QByteArray*>(p)->append(buffer, qsizetype(size * count));
    return size * count;
}

size_t serverReply(char* buffer, size_t size, size_t count, void* p) {
    auto* t = static_cast<Transfer*>(p);
    const QByteArray line = QByteArray(buffer, qsizetype(size * count)).trimmed();
    if (!line.isEmpty()) t->lastReply = line;
    return size * count;
}

int transferInfo(void* p, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
    auto* t = static_cast<Transfer*>(p);
    if (t->cancel->load()) return 1;
    const auto now = std::chrono::steady_clock::now();
    if (t->report && now - t->lastReport > std::chrono::milliseconds(100)) {
        t->lastReport = now;
        t->report(qint64(sent));
    }
    return 0;
}

// Only keys already in the known hosts file pass; nothing is added to it.
int checkHostKey(CURL*, const curl_khkey*, const curl_khkey* offered, curl_khmatch match, void* p) {
    auto* t = static_cast<Transfer*>(p);
    t->hostKey = match;
    if (offered && offered->key && offered->len > 0) // the server's key comes raw
        t->hostKeyFingerprint =
            "SHA256:" + QCryptographicHash::hash(QByteArray(offered->key, qsizetype(offered->len)), QCryptographicHash::Sha256)
                            .toBase64(QByteArray::OmitTrailingEquals);
    return match == CURLKHMATCH_OK ? CURLKHSTAT_FINE : CURLKHSTAT_REJECT;
}

// The user's own SSH keys, in the order they are offered: ssh's order, but
// RSA last, as libssh2 1.10 signs with it only in the SHA-1 form that
// OpenSSH 8.8 and later refuse.
QStringList userSshKeys() {
    QStringList keys;
    const QDir ssh(QDir::homePath() + QStringLiteral("/.ssh"));
    for (const char* name : {"id_ecdsa", "id_ed25519", "id_rsa"})
        if (QFileInfo(ssh.filePath(QLatin1String(name))).isReadable()) keys << ssh.filePath(QLatin1String(name));
    return keys;
}

bool failsForAll(CURLcode code) {
    switch (code) {
    case CURLE_LOGIN_DENIED:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSH:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT: return true;
    default: return false;
    }
}

} // namespace

Upload::Upload(UploadAccount account, QStringList files, QObject* parent)
    : QObject(parent), m_account(std::move(account)), m_files(std::move(files)) {}

Upload::~Upload() {
    m_cancel = true;
    if (m_worker.joinable()) m_worker.join();
}

void Upload::start() {
    if (m_worker.joinable()) return;
    globalInit();
    m_results.clear();
    m_worker = std::thread([this] { run(); });
}

void Upload::cancel() { m_cancel = true; }

void Upload::run() {
    m_sshKeys = userSshKeys();
    m_sshKey = 0;
    m_remoteFiles.reset();
    qint64 total = 0;
    for (const QString& path : m_files) total += std::max<qint64>(QFileInfo(path).size(), 0);
    qint64 done = 0;
    QSet<QString> names;
    for (int i = 0; i < m_files.size(); ++i) {
        const QString name = remoteName(m_files[i]);
        if (names.contains(name)) {
            // It would overwrite the file of this name sent a moment ago.
            done += std::max<qint64>(QFileInfo(m_files[i]).size(), 0);
            m_results.push_back(
                {name, false, QStringLiteral("not sent, an earlier file of the list goes to the same name")});
            continue;
        }
        names.insert(name);
        m_results.push_back(send(i, m_files[i], done, total));
    }
    QMetaObject::invokeMethod(
        this,
        [this, done, total] {
            if (m_worker.joinable()) m_worker.join();
            emit progress(done, total);
            emit finished();
        },
        Qt::QueuedConnection);
}

UploadResult Upload::send(int index, const QString& path, qint64& doneBefore, qint64 total) {
    const QFileInfo info(path);
    UploadResult result;
    result.file = remoteName(path);
    const qint64 size = std::max<qint64>(info.size(), 0);
    const qint64 base = doneBefore;
    doneBefore += size;
    if (m_cancel) {
        result.message = QStringLiteral("not sent, the upload was cancelled");
        return result;
    }
    if (!m_fatal.isEmpty()) {
        result.message = QStringLiteral("not sent, ") + m_fatal;
        return result;
    }
    const QByteArray name = result.file.toUtf8();
    // A line break would end the server command and start another.
    if (name.isEmpty() || name.contains('\r') || name.contains('\n')) {
        result.message = QStringLiteral("not sent, the name cannot be used on the server");
        return result;
    }
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        result.message = QStringLiteral("cannot be read: ") + (info.isFile() ? file.errorString() : QStringLiteral("no such file"));
        return result;
    }

    UploadTarget target;
    try {
        target = parseUploadHost(m_account.host);
    } catch (const TError& e) {
        m_fatal = e.message();
        result.message = m_fatal;
        return result;
    }
    QMetaObject::invokeMethod(this, [this, index, n = result.file] { emit fileStarted(index, n); }, Qt::QueuedConnection);

    const bool sftp = target.protocol == UploadProtocol::Sftp;
    const Folder folder = remoteFolder(target.protocol, m_account.folder);
    const QByteArray temporary = '.' + name + ".part";
    QByteArray server = QUrl::toAce(target.host);
    if (server.isEmpty()) server = target.host.toUtf8();
    if (server.contains(':')) server = '[' + server + ']';
    const QByteArray origin = (sftp ? "sftp://" : "ftp://") + server + ':' + QByteArray::number(target.port);
    const QByteArray knownHosts = QFile::encodeName(QDir::homePath() + QStringLiteral("/.ssh/known_hosts"));
    // Where the user keeps other certificate authorities, as OpenSSL programs read it.
    const QByteArray caFile = qgetenv("SSL_CERT_FILE");
    const QByteArray caDir = qgetenv("SSL_CERT_DIR");

    Transfer transfer;
    transfer.file = &file;
    transfer.cancel = &m_cancel;
    transfer.report = [this, base, total](qint64 sent) {
        QMetaObject::invokeMethod(this, [this, d = base + sent, total] { emit progress(d, total); }, Qt::QueuedConnection);
    };
    char error[CURL_ERROR_SIZE] = {};

    // The settings every connection of this upload shares; the password goes to libcurl only.
    auto connect = [&](CURL* c, const QByteArray& url) {
        curl_easy_setopt(c, CURLOPT_URL, url.constData());
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, sftp ? "sftp" : "ftp");
        curl_easy_setopt(c, CURLOPT_USERNAME, m_account.user.toUtf8().constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, m_account.password.toUtf8().constData());
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
        curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, serverReply);
        curl_easy_setopt(c, CURLOPT_HEADERDATA, &transfer);
        curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, transferInfo);
        curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
        if (target.protocol == UploadProtocol::FtpTls) {
            curl_easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
            if (!caFile.isEmpty()) curl_easy_setopt(c, CURLOPT_CAINFO, caFile.constData());
            if (!caDir.isEmpty()) curl_easy_setopt(c, CURLOPT_CAPATH, caDir.constData());
        }
        if (sftp) {
            curl_easy_setopt(c, CURLOPT_SSH_KNOWNHOSTS, knownHosts.constData());
            curl_easy_setopt(c, CURLOPT_SSH_KEYFUNCTION, checkHostKey);
            curl_easy_setopt(c, CURLOPT_SSH_KEYDATA, &transfer);
            useSshKey(c);
        }
    };

    Easy easy(curl_easy_init());
    if (!easy) {
        result.message = QStringLiteral("not sent, the network library could not start");
        return result;
    }
    CURL* c = easy.get();
    // One request on the connection; where the server refuses a key, the user's next one is offered.
    auto perform = [&] {
        error[0] = 0;
        CURLcode code = curl_easy_perform(c);
        while (sftp && code == CURLE_LOGIN_DENIED && !m_cancel && m_sshKey + 1 < m_sshKeys.size() && file.seek(0)) {
            ++m_sshKey;
            useSshKey(c);
            error[0] = 0;
            code = curl_easy_perform(c);
        }
        return code;
    };
    const QByteArray remoteFile = sftpQuoted(folder.sftpPath + name);
    const QByteArray remotePart = sftpQuoted(folder.sftpPath + temporary);
    const QByteArray aside = '.' + name + ".previous";
    QByteArray listing;
    bool keptAside = false; // the earlier version could not be put back
    std::optional<RemoteFile> earlier; // what the name holds on the server, where it is listed
    const CURLcode code = [&]() -> CURLcode {
        if (sftp && !m_remoteFiles) {
            // What the folder holds already: the permissions to keep, and whether a file is to be replaced.
            connect(c, origin + folder.urlPath);
            curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, collect);
            curl_easy_setopt(c, CURLOPT_WRITEDATA, &listing);
            const CURLcode listed = perform();
            if (listed != CURLE_OK && listed != CURLE_REMOTE_FILE_NOT_FOUND && // a missing folder holds nothing
                (m_cancel || failsForAll(listed) || transfer.hostKey != CURLKHMATCH_OK))
                return listed;
            m_remoteFiles = parseListing(listing);
        }
        if (sftp) {
            if (const auto found = m_remoteFiles->constFind(name); found != m_remoteFiles->cend()) earlier = *found;
        }

        List rename;
        if (sftp) {
            if (earlier && earlier->mode) {
                // Created with the earlier version's permissions, which the server's umask may narrow; then set whole.
                curl_easy_setopt(c, CURLOPT_NEW_FILE_PERMS, long(*earlier->mode & 0777));
                append(rename, "*chmod " + QByteArray::number(*earlier->mode, 8) + ' ' + remotePart);
            }
            // A server that renames onto an existing name (SFTP 5 and later) replaces it in one step.
            append(rename, "rename " + remotePart + ' ' + remoteFile);
        } else {
            append(rename, "RNFR " + temporary);
            append(rename, "RNTO " + name);
        }
        connect(c, origin + folder.urlPath + QUrl::toPercentEncoding(QString::fromUtf8(temporary)));
        curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(c, CURLOPT_READFUNCTION, readFile);
        curl_easy_setopt(c, CURLOPT_READDATA, &transfer);
        curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(size));
        curl_easy_setopt(c, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_RETRY));
        curl_easy_setopt(c, CURLOPT_POSTQUOTE, rename.get());
        const CURLcode sent = perform();
        curl_easy_setopt(c, CURLOPT_POSTQUOTE, nullptr);
        if (sent != CURLE_QUOTE_ERROR || !earlier || (earlier->type != '-' && earlier->type != 'l')) return sent;

        // The file is there under its temporary name, but the server renames only onto a free
        // name (OpenSSH does). The earlier version steps aside until the new one is in place
        // and comes back if it cannot be; from here on a cancel no longer stops it.
        static const std::atomic<bool> never{false};
        transfer.cancel = &never;
        curl_easy_setopt(c, CURLOPT_UPLOAD, 0L);
        curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
        connect(c, origin + folder.urlPath);
        auto commands = [&](std::initializer_list<QByteArray> lines) {
            List list;
            for (const QByteArray& line : lines) append(list, line);
            curl_easy_setopt(c, CURLOPT_QUOTE, list.get());
            const CURLcode done = perform();
            curl_easy_setopt(c, CURLOPT_QUOTE, nullptr);
            return done;
        };
        const QByteArray remoteAside = sftpQuoted(folder.sftpPath + aside);
        const CURLcode stepAside = commands({"*rm " + remoteAside, "rename " + remoteFile + ' ' + remoteAside});
        if (stepAside != CURLE_OK) return stepAside;
        const CURLcode replaced = commands({"rename " + remotePart + ' ' + remoteFile, "*rm " + remoteAside});
        if (replaced != CURLE_OK) keptAside = commands({"rename " + remoteAside + ' ' + remoteFile}) != CURLE_OK;
        return replaced;
    }();
    if (code == CURLE_OK) {
        result.arrived = true;
        transfer.report(size);
        return result;
    }

    // Why it failed, in words; the server's last reply where it gave one.
    QString why;
    const QString reply = QString::fromUtf8(transfer.lastReply);
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    const QString host = target.host;
    if (code == CURLE_ABORTED_BY_CALLBACK && m_cancel) {
        why = QStringLiteral("cancelled, not sent");
    } else if (code == CURLE_LOGIN_DENIED) {
        why = QStringLiteral("login refused: check the user name and password in the preferences");
        if (sftp)
            why += m_sshKeys.isEmpty()
                       ? QStringLiteral(", or make an SSH key with ssh-keygen and add it to the server's authorized keys")
                       : QStringLiteral(", or add your public key (%1.pub) to the server's authorized keys").arg(m_sshKeys.first());
        if (!reply.isEmpty()) why += QStringLiteral(" (the server said \"%1\")").arg(reply);
    } else if (sftp && transfer.hostKey == CURLKHMATCH_MISSING) {
        why = QStringLiteral("the host key of %1 is not among the known hosts (%2). To trust it, compare its fingerprint with "
                             "the one the server's administrator gives you%4, then add it, for example by "
                             "connecting once with \"ssh -p %3 %1\" and answering yes, or with \"ssh-keyscan -p %3 %1 >> %2\"")
                  .arg(host, QString::fromLocal8Bit(knownHosts))
                  .arg(target.port)
                  .arg(transfer.hostKeyFingerprint.isEmpty()
                           ? QString()
                           : QStringLiteral(" (it offered %1)").arg(QString::fromLatin1(transfer.hostKeyFingerprint)));
    } else if (sftp && transfer.hostKey == CURLKHMATCH_MISMATCH) {
        // known_hosts names a server on another port than 22 as "[host]:port".
        const QString entry = target.port == 22 ? host : QStringLiteral("'[%1]:%2'").arg(host).arg(target.port);
        why = QStringLiteral("the host key of %1 differs from the one among the known hosts (%2): the server may not be the one "
                             "you trust. If its key really changed%3, remove the old entry with \"ssh-keygen -R %4\" and add the new one")
                  .arg(host, QString::fromLocal8Bit(knownHosts),
                       transfer.hostKeyFingerprint.isEmpty()
                           ? QString()
                           : QStringLiteral(" (it now offers %1)").arg(QString::fromLatin1(transfer.hostKeyFingerprint)),
                       entry);
    } else if (code == CURLE_QUOTE_ERROR && earlier && earlier->type == 'd') {
        why = QStringLiteral("not sent, a folder of this name is on the server");
    } else if (code == CURLE_PEER_FAILED_VERIFICATION) {
        why = QStringLiteral("the server's certificate could not be verified, nothing was sent (%1)").arg(QString::fromUtf8(error));
    } else {
        why = QString::fromUtf8(error[0] ? error : curl_easy_strerror(code));
        if (status >= 400 && !reply.isEmpty() && !why.contains(reply)) why += QStringLiteral(" (the server said \"%1\")").arg(reply);
    }
    if (keptAside)
        why += QStringLiteral("; the earlier version could not be put back and is on the server as %1")
                   .arg(QString::fromUtf8(aside));
    result.message = why;
    if (failsForAll(code)) m_fatal = why;
    const bool noneSent = code == CURLE_LOGIN_DENIED || code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_CONNECT ||
                          code == CURLE_PEER_FAILED_VERIFICATION || code == CURLE_SSL_CONNECT_ERROR ||
                          code == CURLE_USE_SSL_FAILED || transfer.hostKey != CURLKHMATCH_OK;
    if (noneSent) return result;

    // Best effort: take the temporary file away again on a fresh connection.
    Easy clean(curl_easy_init());
    if (clean) {
        static const std::atomic<bool> never{false};
        transfer.cancel = &never;
        transfer.report = nullptr;
        List remove;
        append(remove, sftp ? "rm " + sftpQuoted(folder.sftpPath + temporary) : "DELE " + temporary);
        connect(clean.get(), origin + folder.urlPath);
        curl_easy_setopt(clean.get(), CURLOPT_NOBODY, 1L);
        curl_easy_setopt(clean.get(), CURLOPT_CONNECTTIMEOUT, 10L);
        curl_easy_setopt(clean.get(), CURLOPT_TIMEOUT, 20L);
        curl_easy_setopt(clean.get(), sftp ? CURLOPT_QUOTE : CURLOPT_POSTQUOTE, remove.get());
        curl_easy_perform(clean.get());
    }
    return result;
}

// A listing as OpenSSH and most servers write it, like "ls -l":
// "-rwxr-x---  1 owner group  1234 Jan 15 12:34 name"; a link is followed by
// " -> " and its target. Lines of another form say nothing.
QHash<QByteArray, Upload::RemoteFile> Upload::parseListing(const QByteArray& listing) {
    QHash<QByteArray, RemoteFile> files;
    for (const QByteArray& line : listing.split('\n')) {
        // The mode, links, owner, group, size and three parts of the date come before the name.
        qsizetype at = 0;
        QByteArray mode;
        int fields = 0;
        for (; fields < 8; ++fields) {
            while (at < line.size() && line[at] == ' ') ++at;
            const qsizetype start = at;
            while (at < line.size() && line[at] != ' ') ++at;
            if (at == start) break;
            if (fields == 0) mode = line.mid(start, at - start);
        }
        if (fields < 8 || at + 1 >= line.size() || mode.size() < 10) continue;
        RemoteFile file;
        file.type = mode[0];
        int bits = 0;
        bool readable = true;
        for (int i = 0; i < 9; ++i) {
            const char c = mode[1 + i];
            const int bit = 0400 >> i;
            // Set-user-id, set-group-id and sticky ride on the x places: lower case with x, upper case without.
            const char special = i == 2 || i == 5 ? 's' : i == 8 ? 't' : 0;
            if (c == "rwxrwxrwx"[i]) bits |= bit;
            else if (special && (c == special || c == special - 32))
                bits |= (04000 >> (i / 3)) | (c == special ? bit : 0);
            else if (c != '-') readable = false;
        }
        if (readable && file.type == '-') file.mode = bits;
        QByteArray name = line.mid(at + 1);
        if (file.type == 'l') name.truncate(name.indexOf(" -> ") < 0 ? name.size() : name.indexOf(" -> "));
        files.insert(name, file);
    }
    return files;
}

// Key login with the user's key, then the password where one is stored; the
// password is offered only on the last try so a refused key costs no extra
// password attempt. An encrypted key needs the user's SSH agent.
void Upload::useSshKey(void* handle) const {
    auto* c = static_cast<CURL*>(handle);
    long types = CURLSSH_AUTH_AGENT;
    const bool last = m_sshKey + 1 >= m_sshKeys.size();
    if (last && !m_account.password.isEmpty()) types |= CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD;
    if (m_sshKey < m_sshKeys.size()) {
        const QString key = m_sshKeys[m_sshKey];
        const QString pub = key + QStringLiteral(".pub");
        types |= CURLSSH_AUTH_PUBLICKEY;
        curl_easy_setopt(c, CURLOPT_SSH_PRIVATE_KEYFILE, QFile::encodeName(key).constData());
        // Empty: libssh2 reads the public half from the private key.
        curl_easy_setopt(c, CURLOPT_SSH_PUBLIC_KEYFILE, QFileInfo(pub).isReadable() ? QFile::encodeName(pub).constData() : "");
    }
    curl_easy_setopt(c, CURLOPT_SSH_AUTH_TYPES, types);
}

} // namespace ts
