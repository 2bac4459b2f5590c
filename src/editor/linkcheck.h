#pragma once
#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <string_view>
#include <vector>

// Finds links of pages that point to local files that do not exist, or to
// anchors a page does not have. Free of widgets; nothing goes to the network.
namespace ts::linkcheck {

struct Link {
    QString value; // as written, with &amp; read as &
    qint64 line = 0; // from 0, as the editor counts lines
};

// What a page's tags hold: a simple reading of the tags, not a parser of HTML.
struct PageScan {
    std::vector<Link> links; // HREF, SRC, BACKGROUND and ACTION values, BASE's own HREF aside
    QString base;            // the HREF of the page's BASE, empty without one
    QSet<QString> anchors;   // NAME and id values
};
PageScan scanPage(std::string_view utf8);

struct Problem {
    QString page; // absolute path
    qint64 line = 0;
    QString link;
    QString problem;
};

inline const char* const kMissingFile = "The file does not exist.";
inline const char* const kMissingAnchor = "The page has no NAME or id \"%1\".";
inline const char* const kNotChecked = "not checked";

// Checks the pages; names starting with "/" are looked up under siteRoot, as a
// web server serving that folder would. Texts of pages open in the editor are
// given by absolute path and used instead of their files. Links with a scheme
// (other than file:) come last, once each, as not checked.
std::vector<Problem> checkPages(const QStringList& pages, const QString& siteRoot,
                                const QHash<QString, QByteArray>& editorTexts);

} // namespace ts::linkcheck
