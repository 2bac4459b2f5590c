#pragma once
#include "editor/linkcheck.h"

#include <QDialog>
#include <QFutureWatcher>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TMain;

// Tools > Check links: the links of a page, or of every page under its
// folder, that point to local files or anchors that are not there.
class TLinkCheck : public QDialog {
    Q_OBJECT
public:
    explicit TLinkCheck(TMain& main);

    // Takes the frame's active document as the page to check; false when there is none.
    bool TakeActiveDocument();
    QString Page() const { return m_page; }

public slots:
    // Checks the page, or with cbWholeSite every page under its folder.
    void bbCheckClick();
    void lvLinksDoubleClick(QTreeWidgetItem* item);

signals:
    // A check has finished and its rows are listed.
    void Done();

private:
    struct Result {
        qsizetype pages = 0;
        std::vector<ts::linkcheck::Problem> problems;
    };
    void showResult(const Result& result);

    TMain& m_main;
    QString m_page;
    QCheckBox* m_wholeSite;
    QPushButton* m_check;
    QPushButton* m_close;
    QLabel* m_status;
    QTreeWidget* m_links;
    QString m_folder;
    // Reading a whole site takes a while; the window stays responsive.
    QFutureWatcher<Result> m_running;
};
