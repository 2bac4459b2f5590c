#include "editor/faces.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// Share of the picture's pixels that are painted.
double coverage(const QIcon& icon, int size, QIcon::Mode mode = QIcon::Normal, qreal dpr = 1.0) {
    const QImage img = icon.pixmap(QSize(size, size), dpr, mode).toImage().convertToFormat(QImage::Format_ARGB32);
    int painted = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 64) ++painted;
    return double(painted) / (img.width() * img.height());
}

const QStringList kPictureButtons{
    // editing buttons
    "sbSearch", "sbReplace", "sbIndent", "sbOutdent", "sbCut", "sbCopy", "sbPaste", "sbUndo", "sbComponents",
    // palette pages
    "sbQuickDoc", "sbAnchor", "sbImage", "sbQuickFont", "sbTableEdit", "sbTable", "sbTableCaption", "sbTR",
    "sbTD", "sbQuickForm", "SpeedButton2", "sbText", "sbHiddenText", "sbEntry", "sbCheckBox", "sbRadioButton",
    "sbDropDown", "sbSubmit", "sbReset", "sbOrdList", "sbUnOrdList", "sbListItem", "sbMenuList", "sbDirList",
    "sbFrameSet", "sbFrame", "sbNoFrames", "sbParty", "sbColorMixer", "sbImgGallery",
    // main window toolbar
    "sbNew", "sbOpen", "sbSave", "sbPrint", "sbPreview", "sbExit",
    // components tree and dialog buttons
    "treeGroupOpen", "treeGroupClosed", "treeEntry", "bbOK", "bbCancel"};

TEST(Faces, EveryPictureButtonHasAPicture) {
    for (const QString& name : kPictureButtons) {
        SCOPED_TRACE(name.toStdString());
        const QIcon icon = ts::faceIcon(name);
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.name(), name);
        EXPECT_GT(coverage(icon, 18), 0.03);
        EXPECT_FALSE(ts::captionFace(name).has_value());
    }
    QStringList names = ts::pictureFaceNames();
    QStringList expected = kPictureButtons;
    names.sort();
    expected.sort();
    EXPECT_EQ(names, expected);
}

TEST(Faces, PicturesHaveTheScreensPixels) {
    for (const QString& name : kPictureButtons) {
        SCOPED_TRACE(name.toStdString());
        QToolButton b;
        b.setObjectName(name);
        ASSERT_TRUE(ts::applyFace(&b));
        const QIcon icon = b.icon();
        const QPixmap once = icon.pixmap(QSize(32, 32), 1.0);
        const QPixmap twice = icon.pixmap(QSize(32, 32), 2.0);
        ASSERT_FALSE(once.isNull());
        ASSERT_FALSE(twice.isNull());
        // Twice the pixels (the wide picture's height rounds to a pixel).
        EXPECT_EQ(twice.devicePixelRatio(), 2.0);
        EXPECT_EQ(twice.width(), 2 * once.width());
        EXPECT_NEAR(twice.height(), 2 * once.height(), 1);
        EXPECT_NEAR(coverage(icon, 32, QIcon::Normal, 2.0), coverage(icon, 32), 0.08);
        // Drawn afresh at 2x, not the 1x picture blown up.
        const QImage blownUp = once.toImage().scaled(twice.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_NE(twice.toImage().convertToFormat(blownUp.format()), blownUp);
    }
}

TEST(Faces, UnknownNamesHaveNoFace) {
    EXPECT_TRUE(ts::faceIcon("sbNoSuchButton").isNull());
    EXPECT_FALSE(ts::captionFace("sbNoSuchButton").has_value());
    QToolButton b;
    b.setObjectName("sbUser1");
    EXPECT_FALSE(ts::applyFace(&b));
    EXPECT_TRUE(b.icon().isNull());
    EXPECT_EQ(b.text(), "");
}

TEST(Faces, PicturesAreDrawnAtTheRequestedSize) {
    // A vector picture covers the same share of its square at any size.
    for (const QString& name : kPictureButtons) {
        SCOPED_TRACE(name.toStdString());
        const QIcon icon = ts::faceIcon(name);
        const QPixmap big = icon.pixmap(QSize(96, 96), 1.0);
        EXPECT_EQ(big.deviceIndependentSize().toSize(), icon.actualSize(QSize(96, 96)));
        EXPECT_NEAR(coverage(icon, 96), coverage(icon, 32), 0.08);
    }
}

TEST(Faces, WidePartyPictureKeepsItsShape) {
    const QIcon party = ts::faceIcon("sbParty");
    const QSize s = party.actualSize(QSize(50, 18));
    EXPECT_LE(s.width(), 50);
    EXPECT_EQ(s.height(), 18);
    EXPECT_GT(s.width(), 2 * s.height());
}

TEST(Faces, DisabledPicturesAreGreyAndDiffer) {
    for (const QString& name : {QString("sbExit"), QString("sbSave"), QString("sbBold"), QString("sbNew")}) {
        const QIcon icon = ts::faceIcon(name);
        if (icon.isNull()) continue;
        SCOPED_TRACE(name.toStdString());
        const QImage normal = icon.pixmap(QSize(32, 32), 1.0, QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(QSize(32, 32), 1.0, QIcon::Disabled).toImage();
        EXPECT_NE(normal, disabled);
        bool painted = false;
        for (int y = 0; y < disabled.height(); ++y)
            for (int x = 0; x < disabled.width(); ++x) {
                const QColor c = disabled.pixelColor(x, y);
                if (c.alpha() < 250) continue;
                painted = true;
                EXPECT_LE(std::abs(c.red() - c.green()) + std::abs(c.green() - c.blue()), 6) << x << "," << y;
            }
        EXPECT_TRUE(painted);
    }
}

// Makes a one-picture icon theme the user's theme for the test's lifetime.
class ScopedIconTheme {
public:
    explicit ScopedIconTheme(const QString& icon)
        : m_name(QIcon::themeName()), m_paths(QIcon::themeSearchPaths()) {
        const QString dir = m_dir.path() + "/test-theme/16x16/actions";
        QDir().mkpath(dir);
        QFile index(m_dir.path() + "/test-theme/index.theme");
        if (index.open(QIODevice::WriteOnly))
            index.write("[Icon Theme]\nName=Test\nDirectories=16x16/actions\n\n"
                        "[16x16/actions]\nSize=16\nType=Fixed\n");
        index.close();
        QImage red(16, 16, QImage::Format_ARGB32);
        red.fill(Qt::red);
        red.save(dir + "/" + icon + ".png");
        QIcon::setThemeSearchPaths({m_dir.path()});
        QIcon::setThemeName("test-theme");
    }
    ~ScopedIconTheme() {
        QIcon::setThemeSearchPaths(m_paths);
        QIcon::setThemeName(m_name);
    }

private:
    QTemporaryDir m_dir;
    QString m_name;
    QStringList m_paths;
};

TEST(Faces, StandardCommandsTakeTheThemesPicturesWhereItHasThem) {
    const QImage bundledOpen = QIcon(":/faces/sbOpen.svg").pixmap(QSize(16, 16), 1.0).toImage();
    const QImage bundledNew = QIcon(":/faces/sbNew.svg").pixmap(QSize(16, 16), 1.0).toImage();
    ASSERT_FALSE(bundledOpen.isNull());
    ScopedIconTheme theme("document-new");

    const QIcon fromTheme = ts::faceIcon("sbNew");
    EXPECT_EQ(fromTheme.name(), "sbNew");
    const QImage themed = fromTheme.pixmap(QSize(16, 16), 1.0).toImage();
    EXPECT_EQ(themed.pixelColor(8, 8), QColor(Qt::red));
    EXPECT_NE(themed.convertToFormat(bundledNew.format()), bundledNew);
    EXPECT_FALSE(fromTheme.pixmap(QSize(16, 16), 2.0).isNull());

    // The theme lacks document-open: the bundled picture stands in.
    const QIcon fallback = ts::faceIcon("sbOpen");
    EXPECT_EQ(fallback.name(), "sbOpen");
    EXPECT_EQ(fallback.pixmap(QSize(16, 16), 1.0).toImage().convertToFormat(bundledOpen.format()), bundledOpen);
}

struct CaptionCase {
    const char* name;
    QString caption;
    int pixels;
    bool bold, italic, underline;
};

TEST(Faces, CaptionFacesHaveTheirTextFontAndHeight) {
    const CaptionCase cases[] = {
        {"sbHeading", "H", 13, true, false, false},
        {"sbLineBreak", QString(QChar(0x21B5)), 13, false, false, false},
        {"sbParagraph", QString(QChar(0x00B6)), 13, false, false, false},
        {"sbHRule", QString(QChar(0x2212)), 19, false, false, false},
        {"sbBold", "B", 11, true, false, false},
        {"sbItalic", "I", 11, false, true, false},
        {"sbUnderline", "U", 11, false, false, true},
        {"sbPre", "Pre", 11, false, false, false},
        {"sbSub", "Sub", 11, false, false, false},
        {"sbSup", "Sup", 11, false, false, false},
        {"sbStrong", "S", 13, true, false, false},
        {"sbEmp", "Emp", 11, false, false, false},
    };
    for (const CaptionCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto face = ts::captionFace(c.name);
        ASSERT_TRUE(face.has_value());
        EXPECT_EQ(face->caption, c.caption);
        EXPECT_EQ(face->font.pixelSize(), c.pixels);
        EXPECT_EQ(face->font.bold(), c.bold);
        EXPECT_EQ(face->font.italic(), c.italic);
        EXPECT_EQ(face->font.underline(), c.underline);
        // The fallback families carry the arrow and the minus sign.
        EXPECT_TRUE(QFontMetrics(face->font).inFontUcs4(face->caption.at(0).unicode()));

        QToolButton b;
        b.setObjectName(c.name);
        ASSERT_TRUE(ts::applyFace(&b));
        EXPECT_EQ(b.text(), c.caption);
        EXPECT_TRUE(b.icon().isNull());
        EXPECT_EQ(b.font().pixelSize(), c.pixels);
        EXPECT_EQ(b.palette().color(QPalette::Active, QPalette::ButtonText), QColor(0, 0, 255));
        EXPECT_NE(b.palette().color(QPalette::Disabled, QPalette::ButtonText), QColor(0, 0, 255));
    }
}

TEST(Faces, ApplyFaceGivesPictureButtonsTheirIcon) {
    QPushButton ok;
    ok.setObjectName("bbOK");
    EXPECT_TRUE(ts::applyFace(&ok));
    EXPECT_EQ(ok.icon().name(), "bbOK");
    EXPECT_FALSE(ts::applyFace(nullptr));
}

} // namespace
