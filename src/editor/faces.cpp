#include "editor/faces.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

#include <map>

// Q_INIT_RESOURCE only works outside a namespace.
static void initFacesResource() { Q_INIT_RESOURCE(faces); }

namespace ts {

// ---------------------------------------------------------------- captions

namespace {

// The classic Windows fonts of the faces first, then look-alikes that Linux
// systems have, so the faces keep their shape wherever they run.
QFont faceFont(const QStringList& families, QFont::StyleHint hint, int pixels, bool bold = false,
               bool italic = false, bool underline = false) {
    QFont f;
    f.setFamilies(families);
    f.setStyleHint(hint);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    return f;
}

const QStringList kSansSerif{QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                             QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")};
const QStringList kTimes{QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                         QStringLiteral("DejaVu Serif")};
const QStringList kArial{QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                         QStringLiteral("DejaVu Sans")};
// The Symbol font's return arrow and minus are ordinary Unicode characters
// today; these fonts carry both.
const QStringList kSymbol{QStringLiteral("DejaVu Sans"), QStringLiteral("Segoe UI Symbol"),
                          QStringLiteral("Noto Sans Symbols"), QStringLiteral("Liberation Sans")};

} // namespace

std::optional<TCaptionFace> captionFace(const QString& objectName) {
    using H = QFont::StyleHint;
    static const std::map<QString, TCaptionFace> faces{
        {QStringLiteral("sbHeading"), {QStringLiteral("H"), faceFont(kTimes, H::Serif, 13, true)}},
        {QStringLiteral("sbLineBreak"), {QString(QChar(0x21B5)), faceFont(kSymbol, H::SansSerif, 13)}},
        {QStringLiteral("sbParagraph"), {QString(QChar(0x00B6)), faceFont(kArial, H::SansSerif, 13)}},
        {QStringLiteral("sbHRule"), {QString(QChar(0x2212)), faceFont(kSymbol, H::SansSerif, 19)}},
        {QStringLiteral("sbBold"), {QStringLiteral("B"), faceFont(kSansSerif, H::SansSerif, 11, true)}},
        {QStringLiteral("sbItalic"),
         {QStringLiteral("I"), faceFont(kSansSerif, H::SansSerif, 11, false, true)}},
        {QStringLiteral("sbUnderline"),
         {QStringLiteral("U"), faceFont(kSansSerif, H::SansSerif, 11, false, false, true)}},
        {QStringLiteral("sbPre"), {QStringLiteral("Pre"), faceFont(kSansSerif, H::SansSerif, 11)}},
        {QStringLiteral("sbSub"), {QStringLiteral("Sub"), faceFont(kSansSerif, H::SansSerif, 11)}},
        {QStringLiteral("sbSup"), {QStringLiteral("Sup"), faceFont(kSansSerif, H::SansSerif, 11)}},
        {QStringLiteral("sbStrong"), {QStringLiteral("S"), faceFont(kSansSerif, H::SansSerif, 13, true)}},
        {QStringLiteral("sbEmp"), {QStringLiteral("Emp"), faceFont(kSansSerif, H::SansSerif, 11)}},
    };
    const auto it = faces.find(objectName);
    if (it == faces.end()) return std::nullopt;
    return it->second;
}

QColor captionFaceColor() { return QColor(0, 0, 255); }

// ---------------------------------------------------------------- pictures

namespace {

// The core is a static library: its resources are registered on first use.
void initFaceResources() {
    static const bool done = [] {
        initFacesResource();
        return true;
    }();
    (void)done;
}

QString pictureFile(const QString& name) { return QStringLiteral(":/faces/%1.svg").arg(name); }

// The standard commands look like the rest of the desktop where the user's
// icon theme has their pictures.
QString themeName(const QString& name) {
    static const std::map<QString, QString> names{
        {QStringLiteral("sbNew"), QStringLiteral("document-new")},
        {QStringLiteral("sbOpen"), QStringLiteral("document-open")},
        {QStringLiteral("sbSave"), QStringLiteral("document-save")},
        {QStringLiteral("sbPrint"), QStringLiteral("document-print")},
        {QStringLiteral("sbExit"), QStringLiteral("application-exit")},
        {QStringLiteral("sbCut"), QStringLiteral("edit-cut")},
        {QStringLiteral("sbCopy"), QStringLiteral("edit-copy")},
        {QStringLiteral("sbPaste"), QStringLiteral("edit-paste")},
        {QStringLiteral("sbUndo"), QStringLiteral("edit-undo")},
        {QStringLiteral("sbSearch"), QStringLiteral("edit-find")},
        {QStringLiteral("sbReplace"), QStringLiteral("edit-find-replace")},
        {QStringLiteral("sbIndent"), QStringLiteral("format-indent-more")},
        {QStringLiteral("sbOutdent"), QStringLiteral("format-indent-less")},
    };
    const auto it = names.find(name);
    return it == names.end() ? QString() : it->second;
}

// Draws another icon (theme or picture file) under the button's own name,
// so code and tests can tell the faces apart whichever source drew them.
class TFaceEngine : public QIconEngine {
public:
    TFaceEngine(QIcon icon, QString name) : m_icon(std::move(icon)), m_name(std::move(name)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        m_icon.paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return m_icon.pixmap(size, 1.0, mode, state);
    }
    // Drawn afresh at the device's pixels, not scaled up from a small copy.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        if (scale <= 1.0) return pixmap(size, mode, state);
        QPixmap pm = m_icon.pixmap((QSizeF(size) / scale).toSize(), scale, mode, state);
        pm.setDevicePixelRatio(1.0);
        return pm;
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return m_icon.actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return m_icon.availableSizes(mode, state);
    }
    bool isNull() override { return m_icon.isNull(); }
    QIconEngine* clone() const override { return new TFaceEngine(m_icon, m_name); }
    QString key() const override { return QStringLiteral("TFaceEngine"); }
    QString iconName() override { return m_name; }

private:
    QIcon m_icon;
    QString m_name;
};

} // namespace

QIcon faceIcon(const QString& name) {
    initFaceResources();
    const QString file = pictureFile(name);
    if (name.isEmpty() || !QFileInfo::exists(file)) return QIcon();
    const QString theme = themeName(name);
    QIcon icon = !theme.isEmpty() && QIcon::hasThemeIcon(theme) ? QIcon::fromTheme(theme) : QIcon(file);
    return QIcon(new TFaceEngine(std::move(icon), name));
}

QStringList pictureFaceNames() {
    initFaceResources();
    QStringList names;
    for (const QFileInfo& f : QDir(QStringLiteral(":/faces")).entryInfoList({QStringLiteral("*.svg")}, QDir::Files))
        names << f.completeBaseName();
    return names;
}

bool applyFace(QAbstractButton* button) {
    if (!button) return false;
    const QString name = button->objectName();
    if (const auto face = captionFace(name)) {
        button->setText(face->caption);
        button->setFont(face->font);
        QPalette pal = button->palette();
        // Disabled buttons keep the style's grey.
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            pal.setColor(group, QPalette::ButtonText, captionFaceColor());
            pal.setColor(group, QPalette::WindowText, captionFaceColor());
        }
        button->setPalette(pal);
        return true;
    }
    const QIcon icon = faceIcon(name);
    if (icon.isNull()) return false;
    button->setIcon(icon);
    return true;
}

} // namespace ts
