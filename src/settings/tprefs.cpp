#include "settings/tprefs.h"

#include "platform/command.h"
#include "platform/commondialogs.h"
#include "settings/prefslayout.h"
#include "settings/tquillonregistry.h"
#include "ui_tprefs.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

namespace {

// A label's colours live in its palette for the eye and, unchanged, in a
// property for saving: a stored value with a top byte (a system colour)
// goes back exactly as it came.
constexpr const char* kTextColour = "textColorRef";
constexpr const char* kBackColour = "backColorRef";

QColor toQColor(int32_t value) {
    const auto v = uint32_t(value);
    return QColor(int(v & 0xFFu), int((v >> 8) & 0xFFu), int((v >> 16) & 0xFFu));
}

int32_t colourValue(const QColor& c) {
    return int32_t(uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16);
}

void setColour(QLabel* label, QPalette::ColorRole role, const char* property, int32_t value) {
    QPalette p = label->palette();
    p.setColor(role, toQColor(value)); // all groups, so a disabled sample still shows its colour
    label->setPalette(p);
    label->setProperty(property, value);
}

void setTextColour(QLabel* label, int32_t value) { setColour(label, QPalette::WindowText, kTextColour, value); }
void setBackColour(QLabel* label, int32_t value) { setColour(label, QPalette::Window, kBackColour, value); }
int32_t textColour(const QLabel* label) { return label->property(kTextColour).toInt(); }
int32_t backColour(const QLabel* label) { return label->property(kBackColour).toInt(); }

int fontSize(const QFont& f) { return f.pointSize() > 0 ? f.pointSize() : QFontInfo(f).pointSize(); }

// Every name used here is one of the 22 of the layout.
QString keyOf(const char* valueName) {
    return QLatin1String(ts::findPrefsEntry(QString::fromLatin1(valueName))->keyPath);
}

// One read of a dialog-mode load: the value stored under the name, or def.
template <class T>
T readValue(TQuillonRegistry& reg, const char* valueName, const T& def) {
    return std::get<T>(reg.ReadValue(hkey::CurrentUser, keyOf(valueName), QLatin1String(valueName), TRegValue(def)));
}

constexpr int32_t kBlack = 0x000000;
constexpr int32_t kWhite = 0xFFFFFF;

} // namespace

TPrefs::TPrefs(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TPrefs>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    for (QLabel* l : {ui->lbTextCol, ui->lbBGCol, ui->lbText}) setTextColour(l, kBlack);
    setTextColour(ui->lbLinks, 0xFF0000);
    setTextColour(ui->lbImages, 0x0000FF);
    setTextColour(ui->lbOther, 0x808000);
    for (QLabel* l : {ui->lbFontName, ui->lbTextCol, ui->lbBGCol, ui->lbText, ui->lbLinks, ui->lbImages, ui->lbOther})
        setBackColour(l, kWhite);
    QPalette red = ui->Label10->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    ui->Label10->setPalette(red);

    for (QLabel* l : {ui->lbFontName, ui->lbTextCol, ui->lbBGCol, ui->lbLinks, ui->lbImages, ui->lbOther})
        l->installEventFilter(this);
    connect(ui->sbLocateBrowser, &QToolButton::clicked, this, &TPrefs::sbLocateBrowserClick);
    connect(ui->bbOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->bbCancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(385, 406);
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TPrefs::~TPrefs() = default;

void TPrefs::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (m_shown) return;
    m_shown = true;
    FormShow();
}

void TPrefs::FormShow() {
    // A value of the wrong type is reported; the dialog opens all the same.
    ts::runCommand(this, [&] { LoadSettings(false); });
    ui->cbAppMaxi->setFocus();
}

void TPrefs::done(int result) {
    // Without a way out a settings file that cannot be written would hold
    // the whole program in this dialog.
    if (!FormCloseQuery() &&
        ts::messages().askYesNo(this,
                                QStringLiteral("The preferences could not be stored. Close without storing them?"),
                                ts::Answer::No) != ts::Answer::Yes)
        return;
    QDialog::done(result);
}

bool TPrefs::FormCloseQuery() { return ts::runCommand(this, [&] { SaveSettings(); }); }

void TPrefs::LoadSettings(bool recordMode) {
    if (recordMode) {
        Record.LoadSettings();
        return;
    }
    TQuillonRegistry reg;
    for (const auto& [box, name] : flags()) box->setChecked(readValue(reg, name, box->isChecked()));

    // Both samples show the text colour on the background colour.
    setTextColour(ui->lbTextCol, readValue(reg, "TextCol", textColour(ui->lbTextCol)));
    setBackColour(ui->lbTextCol, readValue(reg, "BGCol", backColour(ui->lbTextCol)));
    setTextColour(ui->lbBGCol, readValue(reg, "TextCol", textColour(ui->lbBGCol)));
    setBackColour(ui->lbBGCol, readValue(reg, "BGCol", backColour(ui->lbBGCol)));

    QFont font = ui->lbFontName->font();
    font.setFamily(readValue(reg, "StdFont", font.family()));
    ui->lbFontName->setFont(font);
    // A size of 0 or less is no font size: the sample keeps its own, which the next save stores.
    if (const int size = readValue(reg, "StdFontSize", int32_t(fontSize(font))); size > 0) font.setPointSize(size);
    ui->lbFontName->setFont(font);
    ui->lbFontName->setText(readValue(reg, "StdFont", ui->lbFontName->text()));

    setTextColour(ui->lbText, readValue(reg, "Text", textColour(ui->lbText)));
    setTextColour(ui->lbLinks, readValue(reg, "Links", textColour(ui->lbLinks)));
    setTextColour(ui->lbImages, readValue(reg, "Images", textColour(ui->lbImages)));
    setTextColour(ui->lbOther, readValue(reg, "Other", textColour(ui->lbOther)));

    ui->eBrowser->setText(readValue(reg, "ExtBrowser", ui->eBrowser->text()));
    ui->eAuthorName->setText(readValue(reg, "Author", ui->eAuthorName->text()));
    ui->eAuthorEMail->setText(readValue(reg, "EMail", ui->eAuthorEMail->text()));
    if (readValue(reg, "UseNetscapeExt", ui->rbYes->isChecked()))
        ui->rbYes->setChecked(true);
    else if (ui->rbYes->isChecked())
        ui->rbNo->setChecked(true);
    ui->eHost->setText(readValue(reg, "Host", ui->eHost->text()));
    ui->eUserName->setText(readValue(reg, "Username", ui->eUserName->text()));
    ui->ePassword->setText(readValue(reg, "Password", ui->ePassword->text()));
    ui->eInitDir->setText(readValue(reg, "InitDir", ui->eInitDir->text()));
}

void TPrefs::SaveSettings() {
    // The font's own name is saved, not the caption; the size as shown, not cut to 8 bits.
    std::vector<std::pair<const char*, TRegValue>> values;
    for (const auto& [box, name] : flags()) values.emplace_back(name, box->isChecked());
    values.insert(values.end(), {
        {"TextCol", textColour(ui->lbTextCol)},
        {"BGCol", backColour(ui->lbBGCol)},
        {"StdFont", ui->lbFontName->font().family()},
        {"StdFontSize", int32_t(fontSize(ui->lbFontName->font()))},
        {"Text", textColour(ui->lbText)},
        {"Links", textColour(ui->lbLinks)},
        {"Images", textColour(ui->lbImages)},
        {"Other", textColour(ui->lbOther)},
        {"ExtBrowser", ui->eBrowser->text()},
        {"Author", ui->eAuthorName->text()},
        {"EMail", ui->eAuthorEMail->text()},
        {"UseNetscapeExt", ui->rbYes->isChecked()},
        {"Host", ui->eHost->text()},
        {"Username", ui->eUserName->text()},
        {"Password", ui->ePassword->text()},
        {"InitDir", ui->eInitDir->text()},
    });
    TQuillonRegistry reg;
    for (const auto& [name, value] : values) reg.WriteValue(hkey::CurrentUser, keyOf(name), QLatin1String(name), value);
}

std::vector<std::pair<QCheckBox*, const char*>> TPrefs::flags() const {
    return {{ui->cbSplash, "Splash"}, {ui->cbAppMaxi, "AppMaxi"}, {ui->cbNewDoc, "NewDoc"},
            {ui->cbDocMaxi, "DocMaxi"}, {ui->cbMinDoc, "MinDoc"},     {ui->cbShowComp, "ShowComp"}};
}

void TPrefs::sbLocateBrowserClick() {
    if (const auto path = ts::commonDialogs().executableFileName(this, ui->eBrowser->text()))
        ui->eBrowser->setText(*path);
}

void TPrefs::ChooseFontClick() {
    const QFont shown = ui->lbFontName->font();
    const auto chosen = ts::commonDialogs().font(this, QFont(shown.family(), fontSize(shown)));
    if (!chosen) return;
    ui->lbFontName->setText(chosen->family());
    QFont font = *chosen;
    if (chosen->pointSize() > 0) font.setPointSize(chosen->pointSize());
    ui->lbFontName->setFont(font);
}

void TPrefs::ChooseEditorColorClick(QLabel* sender) {
    const auto chosen = ts::commonDialogs().color(this, m_lastColour);
    if (!chosen) return;
    m_lastColour = *chosen;
    const int32_t value = colourValue(*chosen);
    if (sender == ui->lbTextCol)
        for (QLabel* l : {ui->lbTextCol, ui->lbBGCol}) setTextColour(l, value);
    else if (sender == ui->lbBGCol)
        for (QLabel* l : {ui->lbTextCol, ui->lbBGCol}) setBackColour(l, value);
}

void TPrefs::ChooseTagColorClick(QLabel* sender) {
    const auto chosen = ts::commonDialogs().color(this, m_lastColour);
    if (!chosen) return;
    m_lastColour = *chosen;
    setTextColour(sender, colourValue(*chosen));
}

bool TPrefs::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonDblClick && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        if (watched == ui->lbFontName) {
            ChooseFontClick();
            return true;
        }
        if (watched == ui->lbTextCol || watched == ui->lbBGCol) {
            ChooseEditorColorClick(static_cast<QLabel*>(watched));
            return true;
        }
        if (watched == ui->lbLinks || watched == ui->lbImages || watched == ui->lbOther) {
            ChooseTagColorClick(static_cast<QLabel*>(watched));
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}
