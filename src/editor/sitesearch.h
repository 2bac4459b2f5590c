#pragma once
#include "editor/docfile.h"
#include "editor/search.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

// Find and replace across the files of a folder. Everything here is free of
// widgets and safe to run on worker threads, one file per call.
namespace ts::sitesearch {

// Files under the folder whose names fit one of the masks ("*.htm;*.html",
// without regard to case), in a stable order; hidden files and folders and
// links to folders are left out.
QStringList listFiles(const QString& folder, const QString& masks, bool subfolders);

struct Match {
    qint64 line = 0;       // from 0, counted as the editor counts lines (CR LF, LF or CR)
    search::Range range;   // bytes of the text as the editor holds it
    QString lineText;      // the match's line, cut short around the match when very long
};

// Every match in the text, with its line.
std::vector<Match> matchesIn(std::string_view utf8, const QString& pattern, const search::Options& o);

enum class Outcome { Searched, Unreadable, Binary };

struct FileResult {
    QString path;
    Outcome outcome = Outcome::Searched;
    QString reason;              // why an unreadable file could not be read
    FileIdentity identity;       // of the file as it was read
    std::vector<Match> matches;
};

// Reads the file as opening a document does (UTF-8, else Windows-1252) and
// searches it. A file with a NUL byte in its first 8 KB is binary and skipped;
// one that cannot be read otherwise comes back with the reason.
FileResult searchFile(const QString& path, const QString& pattern, const search::Options& o);

// The text with each range replaced; the ranges ascend and do not overlap.
std::string replaceRanges(std::string_view text, const std::vector<search::Range>& ranges,
                          std::string_view replacement);

struct ReplaceResult {
    QString path;
    int count = 0;  // occurrences replaced; 0 when skipped
    QString reason; // why the file was skipped
};

// Replaces every match in a closed file that still is as it was searched:
// written by the document save, so every byte outside the matches, the line
// breaks, the encoding and a byte-order mark stay. A file that changed since
// (or cannot be read, or cannot hold the replacement in its encoding) is
// skipped with the reason.
ReplaceResult replaceInFile(const FileResult& searched, const QString& pattern, const QString& replacement,
                            const search::Options& o);

} // namespace ts::sitesearch
