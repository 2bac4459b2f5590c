// Find in files over a generated tree, as the Find in files window runs it:
// the folder listed, then every file read by the open routine and searched
// on the thread pool.
//   sitesearch_bench --generate DIR PAGES MB   writes the tree
//   sitesearch_bench DIR WORD [-i]             searches it, prints the median of 5 runs
#include "editor/sitesearch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace ss = ts::sitesearch;

static int generate(const QString& dir, int pages, int megabytes) {
    QRandomGenerator rng(30);
    const char* words[] = {"und", "der", "Seite", "Bild", "Verweis", "Tabelle", "Zeile", "Text", "Absatz", "Kopf"};
    const qint64 perPage = qint64(megabytes) * 1000 * 1000 / pages;
    for (int p = 0; p < pages; ++p) {
        // Twenty folders, two levels deep.
        const QString folder = QStringLiteral("%1/part%2/sec%3").arg(dir).arg(p % 4).arg(p % 20);
        QDir().mkpath(folder);
        QByteArray page = "<html><head><title>Page</title></head><body>\r\n";
        while (page.size() < perPage) {
            page += "<p>";
            for (int w = 0; w < 12; ++w) {
                page += words[rng.bounded(10)];
                page += ' ';
            }
            // A rare word on one page in fifty.
            if (p % 50 == 0 && rng.bounded(200) == 0) page += "Quastenflosser ";
            page += "</p>\r\n";
        }
        page += "</body></html>\r\n";
        QFile f(QStringLiteral("%1/page%2.html").arg(folder).arg(p, 4, 10, QLatin1Char('0')));
        if (!f.open(QIODevice::WriteOnly) || f.write(page) != page.size()) return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == QLatin1String("--generate"))
        return generate(args[2], args[3].toInt(), args[4].toInt());
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: sitesearch_bench DIR WORD [-i] | --generate DIR PAGES MB\n");
        return 2;
    }
    const QString dir = args[1], word = args[2];
    const ts::search::Options options{true, !(args.size() > 3 && args[3] == QLatin1String("-i")), false};
    std::vector<qint64> times;
    size_t matches = 0;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        const QStringList files = ss::listFiles(dir, QStringLiteral("*.htm;*.html"), true);
        const QList<ss::FileResult> results = QtConcurrent::blockingMapped(
            files, [&](const QString& path) { return ss::searchFile(path, word, options); });
        times.push_back(t.elapsed());
        matches = 0;
        for (const ss::FileResult& r : results) matches += r.matches.size();
    }
    std::sort(times.begin(), times.end());
    std::printf("%lld %zu\n", static_cast<long long>(times[2]), matches);
    return 0;
}
