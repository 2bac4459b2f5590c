#pragma once
#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

class QWidget;
class QPrinter;

namespace ts {

// The common dialogs: file open and save, print, printer set-up, colour and font.
// One instance serves the whole program, so the file dialogs remember the
// name chosen last, whatever document it was for.
class CommonDialogs {
public:
    virtual ~CommonDialogs() = default;
    // "HTML files" for "*.htm;*.html" (the patterns are not shown); the file must exist.
    virtual std::optional<QString> openFileName(QWidget* parent) = 0;
    // Same filter, no default extension, no overwrite prompt.
    virtual std::optional<QString> saveFileName(QWidget* parent) = 0;
    virtual bool print(QWidget* parent, QPrinter& printer) = 0;
    // Chooses the printer and its settings, which later prints use.
    virtual bool printerSetup(QWidget* parent, QPrinter& printer) = 0;
    virtual std::optional<QColor> color(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<QFont> font(QWidget* parent, const QFont& initial) = 0;
    // "Locate the external browser": an existing file with the execute
    // permission, starting in the folder of current when it names one.
    virtual std::optional<QString> executableFileName(QWidget* parent, const QString& current) = 0;
    // An existing folder, starting at current.
    virtual std::optional<QString> folderName(QWidget* parent, const QString& current) = 0;
};

class QtCommonDialogs : public CommonDialogs {
public:
    std::optional<QString> openFileName(QWidget* parent) override;
    std::optional<QString> saveFileName(QWidget* parent) override;
    bool print(QWidget* parent, QPrinter& printer) override;
    bool printerSetup(QWidget* parent, QPrinter& printer) override;
    std::optional<QColor> color(QWidget* parent, const QColor& initial) override;
    std::optional<QFont> font(QWidget* parent, const QFont& initial) override;
    std::optional<QString> executableFileName(QWidget* parent, const QString& current) override;
    std::optional<QString> folderName(QWidget* parent, const QString& current) override;

private:
    QString m_lastOpen;
    QString m_lastSave;
};

CommonDialogs& commonDialogs();
void setCommonDialogs(CommonDialogs* d);

inline const char* const kHtmlFilter = "HTML files (*.htm *.html)";
inline const char* const kBrowserDialogTitle = "Locate the external browser";
inline const char* const kExecutablesFilter = "All executables (*)";

} // namespace ts
