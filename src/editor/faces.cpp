#include "editor/faces.h"

#include <QAbstractButton>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>
#include <map>

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

// Colours of the pictures.
const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kBlue(30, 90, 200);
const QColor kLightBlue(170, 205, 245);
const QColor kRed(200, 30, 30);
const QColor kGreen(30, 150, 50);
const QColor kYellow(245, 200, 60);
const QColor kFolder(235, 190, 80);
const QColor kGrey(150, 150, 150);
const QColor kSilver(205, 205, 205);
const QColor kBrown(150, 95, 40);

// Paints in design units. In the disabled look every dark colour is drawn
// twice, first as a white shadow, then grey; light colours drop out.
class Ink {
public:
    enum class Pass { Normal, Shadow, Grey };
    Ink(QPainter& p, Pass pass) : m_p(p), m_pass(pass) {}

    QColor map(const QColor& c) const {
        if (m_pass == Pass::Normal || c.alpha() == 0) return c;
        if (c.lightness() > 190) return Qt::transparent;
        return m_pass == Pass::Shadow ? QColor(255, 255, 255) : QColor(128, 128, 128);
    }

    void path(const QPainterPath& path, const QColor& fill, const QColor& line = kInk, qreal w = 1) {
        m_p.setBrush(fill.alpha() ? QBrush(map(fill)) : QBrush(Qt::NoBrush));
        if (line.alpha()) {
            QPen pen(map(line), w);
            pen.setJoinStyle(Qt::RoundJoin);
            pen.setCapStyle(Qt::RoundCap);
            m_p.setPen(pen);
        } else {
            m_p.setPen(Qt::NoPen);
        }
        m_p.drawPath(path);
    }
    void rect(const QRectF& r, const QColor& fill, const QColor& line = kInk, qreal w = 1) {
        QPainterPath p;
        p.addRect(r);
        path(p, fill, line, w);
    }
    void round(const QRectF& r, qreal radius, const QColor& fill, const QColor& line = kInk, qreal w = 1) {
        QPainterPath p;
        p.addRoundedRect(r, radius, radius);
        path(p, fill, line, w);
    }
    void ellipse(const QPointF& c, qreal rx, qreal ry, const QColor& fill, const QColor& line = kInk,
                 qreal w = 1) {
        QPainterPath p;
        p.addEllipse(c, rx, ry);
        path(p, fill, line, w);
    }
    void poly(std::initializer_list<QPointF> pts, const QColor& fill, const QColor& line = kInk,
              qreal w = 1) {
        QPainterPath p;
        p.addPolygon(QPolygonF(QList<QPointF>(pts)));
        p.closeSubpath();
        path(p, fill, line, w);
    }
    void polyline(std::initializer_list<QPointF> pts, const QColor& line = kInk, qreal w = 1) {
        QPainterPath p;
        p.addPolygon(QPolygonF(QList<QPointF>(pts)));
        path(p, Qt::transparent, line, w);
    }
    void line(qreal x1, qreal y1, qreal x2, qreal y2, const QColor& c = kInk, qreal w = 1) {
        polyline({{x1, y1}, {x2, y2}}, c, w);
    }
    void dashedRect(const QRectF& r, const QColor& c) {
        QPen pen(map(c), 1, Qt::DashLine);
        pen.setDashPattern({1.5, 1.5});
        m_p.setPen(pen);
        m_p.setBrush(Qt::NoBrush);
        m_p.drawRect(r);
    }

private:
    QPainter& m_p;
    Pass m_pass;
};

// ---- shared pieces

void page(Ink& k, qreal x, qreal y, qreal w, qreal h) {
    const qreal f = 3.5;  // folded corner
    k.poly({{x, y}, {x + w - f, y}, {x + w, y + f}, {x + w, y + h}, {x, y + h}}, kPaper);
    k.polyline({{x + w - f, y}, {x + w - f, y + f}, {x + w, y + f}});
}

void textLines(Ink& k, qreal x, qreal y, qreal w, int n, qreal step = 2, const QColor& c = kGrey) {
    for (int i = 0; i < n; ++i) k.line(x, y + i * step, x + w - (i % 2) * 2, y + i * step, c);
}

void bolt(Ink& k, qreal x, qreal y) {
    k.poly({{x + 3, y}, {x, y + 4.5}, {x + 2, y + 4.5}, {x + 0.5, y + 8}, {x + 4.5, y + 3},
            {x + 2.5, y + 3}, {x + 4, y}},
           kYellow, kBrown, 0.8);
}

void grid(Ink& k, qreal x, qreal y, qreal w, qreal h, int rows, int cols, int hiRow = -1, int hiCol = -1,
          bool header = true) {
    k.rect({x, y, w, h}, kPaper);
    const qreal rh = h / rows, cw = w / cols;
    if (header) k.rect({x, y, w, rh}, kLightBlue);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const bool hi = (hiRow == r && (hiCol < 0 || hiCol == c)) || (hiRow < 0 && hiCol == c);
            if (hi) k.rect({x + c * cw, y + r * rh, cw, rh}, QColor(250, 150, 120), Qt::transparent);
        }
    for (int r = 1; r < rows; ++r) k.line(x, y + r * rh, x + w, y + r * rh);
    for (int c = 1; c < cols; ++c) k.line(x + c * cw, y, x + c * cw, y + h);
    k.rect({x, y, w, h}, Qt::transparent);
}

void folder(Ink& k, bool open) {
    k.poly({{1.5, 3.5}, {6, 3.5}, {7.5, 5}, {14.5, 5}, {14.5, 13.5}, {1.5, 13.5}}, kFolder, kBrown);
    if (open)
        k.poly({{1.5, 13.5}, {4, 7.5}, {15.5, 7.5}, {13, 13.5}}, QColor(250, 220, 130), kBrown);
    else
        k.line(1.5, 6.5, 14.5, 6.5, kBrown);
}

void checkMark(Ink& k, qreal x, qreal y, qreal s, const QColor& c = kGreen, qreal w = 2) {
    k.polyline({{x, y + s * 0.55}, {x + s * 0.35, y + s * 0.9}, {x + s, y}}, c, w);
}

void window(Ink& k, const QRectF& r) {
    k.rect(r, kPaper);
    k.rect({r.x(), r.y(), r.width(), 2.5}, kBlue);
}

void stroked(Ink& k, std::initializer_list<QPointF> pts, const QColor& c = kBlue) { k.polyline(pts, c, 1); }

// Digits drawn as strokes so they stay legible at tiny sizes.
void digit(Ink& k, int d, qreal x, qreal y) {
    switch (d) {
    case 1: stroked(k, {{x, y + 1}, {x + 1, y}, {x + 1, y + 3.5}}); break;
    case 2: stroked(k, {{x, y + 0.5}, {x + 2, y}, {x + 2, y + 1.5}, {x, y + 3.5}, {x + 2.2, y + 3.5}}); break;
    default:
        stroked(k, {{x, y}, {x + 2, y}, {x + 1, y + 1.5}, {x + 2, y + 2.5}, {x + 1, y + 3.5}, {x, y + 3.3}});
    }
}

void fieldBox(Ink& k, const QRectF& r) {
    k.rect(r, kPaper, kInk);
    k.line(r.left() + 0.8, r.top() + 0.8, r.right() - 0.8, r.top() + 0.8, kGrey);
}

void raisedButton(Ink& k, const QRectF& r) {
    k.round(r, 1.5, kSilver, kInk);
    k.line(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1, kPaper);
}

void roundArrow(Ink& k, const QPointF& c, qreal r, const QColor& col) {
    QPainterPath p;
    p.arcMoveTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 120);
    p.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 120, 270);
    k.path(p, Qt::transparent, col, 1.4);
    const QPointF tip(c.x() - r * 0.5, c.y() - r * 0.87);
    k.poly({tip + QPointF(-2, -1.2), tip + QPointF(1.4, -1.6), tip + QPointF(-0.4, 1.6)}, col, col, 0.5);
}

// ---- the pictures, on a 16 x 16 grid unless noted

using Painter = std::function<void(Ink&)>;

struct Picture {
    QSizeF design;
    Painter paint;
};

const std::map<QString, Picture>& pictures() {
    static const std::map<QString, Picture> all = [] {
        std::map<QString, Picture> m;
        auto add = [&](const char* name, Painter p, QSizeF size = QSizeF(16, 16)) {
            m.emplace(QString::fromLatin1(name), Picture{size, std::move(p)});
        };

        // Editing buttons
        add("sbSearch", [](Ink& k) {
            k.line(9.5, 9.5, 14.5, 14.5, kBrown, 2.5);
            k.ellipse({6.5, 6.5}, 4.5, 4.5, kLightBlue, kInk, 1.3);
        });
        add("sbReplace", [](Ink& k) {
            page(k, 6.5, 1.5, 8, 10);
            textLines(k, 8, 5, 5, 3);
            k.line(3.5, 7.5, 6.5, 10.5, kBrown, 2);
            k.ellipse({3.8, 4}, 2.8, 2.8, kLightBlue, kInk, 1);
            k.line(3, 14, 12, 14, kRed, 1.3);
            k.poly({{12, 11.8}, {15, 14}, {12, 16.2}}, kRed, kRed, 0.5);
        });
        add("sbIndent", [](Ink& k) {
            for (int i = 0; i < 5; ++i) k.line(i % 4 ? 7.5 : 1.5, 2.5 + i * 2.75, 14.5, 2.5 + i * 2.75);
            k.poly({{1.5, 5.5}, {5.5, 8}, {1.5, 10.5}}, kBlue, kBlue);
        });
        add("sbOutdent", [](Ink& k) {
            for (int i = 0; i < 5; ++i) k.line(i % 4 ? 7.5 : 1.5, 2.5 + i * 2.75, 14.5, 2.5 + i * 2.75);
            k.poly({{5.5, 5.5}, {1.5, 8}, {5.5, 10.5}}, kBlue, kBlue);
        });
        add("sbCut", [](Ink& k) {
            k.line(5.5, 10, 11, 1.5, kGrey, 1.5);
            k.line(10.5, 10, 5, 1.5, kGrey, 1.5);
            k.ellipse({4.5, 12.5}, 2.3, 2.3, Qt::transparent, kRed, 1.4);
            k.ellipse({11.5, 12.5}, 2.3, 2.3, Qt::transparent, kRed, 1.4);
        });
        add("sbCopy", [](Ink& k) {
            page(k, 1.5, 1.5, 8, 10);
            textLines(k, 3, 5, 4, 3);
            page(k, 6.5, 4.5, 8, 10);
            textLines(k, 8, 8, 5, 3, 2, kBlue);
        });
        add("sbPaste", [](Ink& k) {
            k.round({1.5, 2.5, 10, 12}, 1, kBrown, kInk);
            k.rect({4.5, 1.5, 4, 2.5}, kSilver);
            page(k, 6.5, 5.5, 8, 9.5);
            textLines(k, 8, 9, 5, 3, 2, kBlue);
        });
        add("sbUndo", [](Ink& k) {
            QPainterPath p;
            p.moveTo(12.5, 13);
            p.cubicTo(15.5, 9, 13, 4.5, 8, 4.5);
            p.lineTo(5, 4.5);
            k.path(p, Qt::transparent, kBlue, 2);
            k.poly({{1, 4.5}, {5.5, 1}, {5.5, 8}}, kBlue, kBlue, 0.5);
        });
        add("sbComponents", [](Ink& k) {
            k.polyline({{3.5, 5}, {3.5, 12.5}, {7, 12.5}});
            k.line(3.5, 7.5, 7, 7.5);
            k.rect({1.5, 1.5, 5, 3.5}, kFolder, kBrown);
            k.rect({7.5, 6, 7, 3}, kLightBlue);
            k.rect({7.5, 11, 7, 3}, kLightBlue);
        });

        // General page
        add("sbQuickDoc", [](Ink& k) {
            page(k, 1.5, 1.5, 10, 13);
            textLines(k, 3, 5, 6, 4);
            bolt(k, 10, 7.5);
        });
        add("sbAnchor", [](Ink& k) {
            k.ellipse({8, 3}, 1.8, 1.8, Qt::transparent, kBlue, 1.3);
            k.line(8, 4.8, 8, 14, kBlue, 1.5);
            k.line(5, 7, 11, 7, kBlue, 1.5);
            QPainterPath p;
            p.moveTo(2.5, 9.5);
            p.quadTo(3, 14.5, 8, 14.5);
            p.quadTo(13, 14.5, 13.5, 9.5);
            k.path(p, Qt::transparent, kBlue, 1.5);
            k.poly({{1.5, 10.5}, {2.5, 8}, {4, 10.5}}, kBlue, kBlue, 0.5);
            k.poly({{12, 10.5}, {13.5, 8}, {14.5, 10.5}}, kBlue, kBlue, 0.5);
        });
        add("sbImage", [](Ink& k) {
            k.rect({1.5, 2.5, 13, 11}, QColor(150, 200, 250));
            k.ellipse({11, 5.5}, 1.5, 1.5, kYellow, Qt::transparent);
            k.poly({{1.5, 13.5}, {6, 7}, {9, 10.5}, {11, 9}, {14.5, 13.5}}, kGreen, Qt::transparent);
            k.rect({1.5, 2.5, 13, 11}, Qt::transparent);
        });

        // Fonts page
        add("sbQuickFont", [](Ink& k) {
            k.polyline({{1.5, 14.5}, {6, 1.5}, {10.5, 14.5}}, kBlue, 1.8);
            k.line(3.5, 9.5, 8.5, 9.5, kBlue, 1.5);
            bolt(k, 10.5, 6.5);
        });

        // Tables page
        add("sbTableEdit", [](Ink& k) {
            grid(k, 1.5, 1.5, 11, 11, 3, 3);
            bolt(k, 10.5, 7.5);
        });
        add("sbTable", [](Ink& k) { grid(k, 1.5, 2.5, 13, 11, 3, 3); });
        add("sbTableCaption", [](Ink& k) {
            k.rect({3.5, 1, 9, 3}, kYellow, kBrown);
            grid(k, 1.5, 5.5, 13, 9, 3, 3, -1, -1, false);
        });
        add("sbTR", [](Ink& k) { grid(k, 1.5, 2.5, 13, 11, 3, 3, 1, -1, false); });
        add("sbTD", [](Ink& k) { grid(k, 1.5, 2.5, 13, 11, 3, 3, 1, 1, false); });

        // Forms page
        add("sbQuickForm", [](Ink& k) {
            window(k, {1.5, 1.5, 11, 12});
            fieldBox(k, {3, 6, 7, 2.5});
            fieldBox(k, {3, 10, 7, 2.5});
            bolt(k, 10.5, 7.5);
        });
        add("SpeedButton2", [](Ink& k) {
            window(k, {1.5, 1.5, 13, 13});
            fieldBox(k, {3.5, 6, 9, 2.5});
            raisedButton(k, {7.5, 10.5, 5, 2.5});
        });
        add("sbText", [](Ink& k) {
            fieldBox(k, {1.5, 4.5, 13, 7});
            k.line(5, 6.5, 5, 9.5, kInk, 1);
            k.line(4, 6.5, 6, 6.5, kInk, 0.8);
            k.line(4, 9.5, 6, 9.5, kInk, 0.8);
        });
        add("sbHiddenText", [](Ink& k) {
            k.dashedRect({1.5, 4.5, 13, 7}, kInk);
            textLines(k, 4, 8, 8, 1, 2, kGrey);
        });
        add("sbEntry", [](Ink& k) {
            fieldBox(k, {1.5, 1.5, 13, 13});
            k.rect({11, 1.5, 3.5, 13}, kSilver);
            textLines(k, 3, 4.5, 7, 4, 2.5, kBlue);
        });
        add("sbCheckBox", [](Ink& k) {
            fieldBox(k, {2.5, 2.5, 11, 11});
            checkMark(k, 4.5, 5, 7, kInk, 1.8);
        });
        add("sbRadioButton", [](Ink& k) {
            k.ellipse({8, 8}, 6, 6, kPaper, kInk);
            k.ellipse({8, 8}, 2.5, 2.5, kInk, Qt::transparent);
        });
        add("sbDropDown", [](Ink& k) {
            fieldBox(k, {1.5, 4.5, 13, 7});
            k.rect({10, 5, 4, 6}, kSilver, Qt::transparent);
            k.poly({{10.7, 7}, {13.3, 7}, {12, 9}}, kInk, kInk, 0.5);
        });
        add("sbSubmit", [](Ink& k) {
            raisedButton(k, {1.5, 3.5, 13, 9});
            checkMark(k, 5, 5.5, 6);
        });
        add("sbReset", [](Ink& k) {
            raisedButton(k, {1.5, 3.5, 13, 9});
            roundArrow(k, {8, 8}, 2.8, kRed);
        });

        // Lists page
        add("sbOrdList", [](Ink& k) {
            for (int i = 0; i < 3; ++i) {
                digit(k, i + 1, 1.5, 1.5 + i * 5);
                k.line(6, 3.3 + i * 5, 14.5, 3.3 + i * 5);
            }
        });
        add("sbUnOrdList", [](Ink& k) {
            for (int i = 0; i < 3; ++i) {
                k.ellipse({3, 3.3 + i * 5}, 1.4, 1.4, kBlue, Qt::transparent);
                k.line(6, 3.3 + i * 5, 14.5, 3.3 + i * 5);
            }
        });
        add("sbListItem", [](Ink& k) {
            k.ellipse({3.5, 8}, 2, 2, kBlue, Qt::transparent);
            k.line(7, 8, 14.5, 8, kInk, 1.5);
            textLines(k, 7, 11.5, 7, 1, 2, kGrey);
        });
        add("sbMenuList", [](Ink& k) {
            k.rect({2.5, 1.5, 11, 13}, kPaper);
            k.rect({3, 6, 10, 3}, kLightBlue, Qt::transparent);
            for (int i = 0; i < 4; ++i) k.line(4.5, 4 + i * 3, 11.5, 4 + i * 3);
        });
        add("sbDirList", [](Ink& k) {
            for (int i = 0; i < 3; ++i) {
                const qreal y = 1.5 + i * 5;
                k.poly({{1.5, y}, {3, y}, {3.7, y + 0.8}, {5.5, y + 0.8}, {5.5, y + 3.5}, {1.5, y + 3.5}},
                       kFolder, kBrown, 0.8);
                k.line(7.5, y + 2, 14.5, y + 2);
            }
        });

        // Frames page
        add("sbFrameSet", [](Ink& k) {
            k.rect({1.5, 1.5, 13, 13}, kPaper);
            k.line(6, 1.5, 6, 14.5);
            k.line(6, 7.5, 14.5, 7.5);
            textLines(k, 2.5, 4, 2.5, 4, 2.5, kBlue);
        });
        add("sbFrame", [](Ink& k) {
            k.rect({1.5, 1.5, 13, 13}, kPaper);
            k.rect({6, 7.5, 8.5, 7}, kLightBlue, Qt::transparent);
            k.line(6, 1.5, 6, 14.5);
            k.line(6, 7.5, 14.5, 7.5);
            k.rect({6, 7.5, 8.5, 7}, Qt::transparent, kBlue, 1.3);
        });
        add("sbNoFrames", [](Ink& k) {
            k.rect({1.5, 1.5, 13, 13}, kPaper);
            k.line(6, 1.5, 6, 14.5, kGrey);
            k.line(6, 7.5, 14.5, 7.5, kGrey);
            k.ellipse({8, 8}, 5, 5, Qt::transparent, kRed, 1.6);
            k.line(4.5, 11.5, 11.5, 4.5, kRed, 1.6);
        });

        // Special page: a row of balloons, as wide as the button
        add(
            "sbParty",
            [](Ink& k) {
                const QColor colours[] = {kRed, kYellow, kGreen, kBlue, QColor(200, 60, 200), QColor(250, 130, 20)};
                for (int i = 0; i < 6; ++i) {
                    const qreal x = 4 + i * 6.4, y = (i % 2) ? 5 : 6.5;
                    QPainterPath s;
                    s.moveTo(x, y + 4);
                    s.quadTo(x - 1.2, y + 7, x + 0.5, 15);
                    k.path(s, Qt::transparent, kGrey, 0.7);
                    k.ellipse({x, y}, 2.6, 3.4, colours[i], kInk, 0.7);
                }
            },
            QSizeF(40, 16));
        add("sbColorMixer", [](Ink& k) {
            k.ellipse({8, 5.5}, 4, 4, QColor(240, 40, 40, 200), kInk, 0.8);
            k.ellipse({5.5, 10}, 4, 4, QColor(40, 200, 40, 200), kInk, 0.8);
            k.ellipse({10.5, 10}, 4, 4, QColor(40, 80, 240, 200), kInk, 0.8);
        });

        add("sbImgGallery", [](Ink& k) {
            // Three small framed pictures, as a gallery hangs them.
            for (const QPointF at : {QPointF(1.5, 1.5), QPointF(8.5, 1.5), QPointF(5, 8.5)}) {
                k.rect({at.x(), at.y(), 6, 6}, QColor(150, 200, 250));
                k.poly({{at.x(), at.y() + 6}, {at.x() + 2.5, at.y() + 3}, {at.x() + 6, at.y() + 6}}, kGreen,
                       Qt::transparent);
                k.rect({at.x(), at.y(), 6, 6}, Qt::transparent);
            }
        });

        // Main window toolbar
        add("sbNew", [](Ink& k) {
            page(k, 2.5, 1.5, 10, 13);
            k.poly({{13, 1}, {13.8, 3}, {15.8, 3.2}, {14.2, 4.5}, {14.8, 6.5}, {13, 5.3}, {11.2, 6.5},
                    {11.8, 4.5}, {10.2, 3.2}, {12.2, 3}},
                   kYellow, kBrown, 0.6);
        });
        add("sbOpen", [](Ink& k) { folder(k, true); });
        add("sbSave", [](Ink& k) {
            k.poly({{1.5, 1.5}, {13, 1.5}, {14.5, 3}, {14.5, 14.5}, {1.5, 14.5}}, kBlue);
            k.rect({4, 1.5, 8, 5}, kPaper);
            k.rect({9.5, 2.5, 1.5, 3}, kBlue, Qt::transparent);
            k.rect({3.5, 9, 9, 5.5}, kSilver);
        });
        add("sbPrint", [](Ink& k) {
            k.rect({4.5, 1.5, 7, 5}, kPaper);
            k.round({1.5, 6.5, 13, 6}, 1, kSilver);
            k.ellipse({12, 8.5}, 0.7, 0.7, kGreen, Qt::transparent);
            k.rect({4.5, 10.5, 7, 4}, kPaper);
            textLines(k, 5.5, 12, 5, 2, 1.5, kGrey);
        });
        add("sbExit", [](Ink& k) {
            k.rect({5.5, 1.5, 9, 13}, kSilver);
            k.poly({{5.5, 1.5}, {10, 3}, {10, 15.5}, {5.5, 14.5}}, kBrown);
            k.ellipse({9, 8.5}, 0.6, 0.6, kYellow, Qt::transparent);
            k.line(0.5, 8, 4, 8, kGreen, 1.8);
            k.poly({{3.5, 5.5}, {6.5, 8}, {3.5, 10.5}}, kGreen, kGreen, 0.5);
        });

        // Components tree
        add("treeGroupOpen", [](Ink& k) { folder(k, true); });
        add("treeGroupClosed", [](Ink& k) { folder(k, false); });
        add("treeEntry", [](Ink& k) {
            page(k, 2.5, 1.5, 10, 13);
            k.polyline({{6.5, 6}, {4.5, 8}, {6.5, 10}}, kBlue, 1.2);
            k.polyline({{8.5, 6}, {10.5, 8}, {8.5, 10}}, kBlue, 1.2);
        });

        // Dialog buttons
        add("bbOK", [](Ink& k) { checkMark(k, 2, 3, 12, kGreen, 2.5); });
        add("bbCancel", [](Ink& k) {
            k.line(3.5, 3.5, 12.5, 12.5, kRed, 2.5);
            k.line(12.5, 3.5, 3.5, 12.5, kRed, 2.5);
        });
        return m;
    }();
    return all;
}

class TFaceEngine : public QIconEngine {
public:
    explicit TFaceEngine(const Picture& picture, QString name) : m_picture(picture), m_name(std::move(name)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const QSizeF d = m_picture.design;
        const qreal scale = std::min(rect.width() / d.width(), rect.height() / d.height());
        if (scale <= 0) return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.x() + (rect.width() - d.width() * scale) / 2,
                           rect.y() + (rect.height() - d.height() * scale) / 2);
        painter->scale(scale, scale);
        if (mode == QIcon::Disabled) {
            // One device pixel down and right, whatever the scale.
            painter->save();
            painter->translate(1 / scale, 1 / scale);
            Ink shadow(*painter, Ink::Pass::Shadow);
            m_picture.paint(shadow);
            painter->restore();
            Ink grey(*painter, Ink::Pass::Grey);
            m_picture.paint(grey);
        } else {
            Ink ink(*painter, Ink::Pass::Normal);
            m_picture.paint(ink);
        }
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const QSize fitted = actualSize(size, mode, state);
        QPixmap pm(fitted);
        pm.fill(Qt::transparent);
        if (!fitted.isEmpty()) {
            QPainter p(&pm);
            paint(&p, QRect(QPoint(0, 0), fitted), mode, state);
        }
        return pm;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const QSizeF fitted = m_picture.design.scaled(QSizeF(size), Qt::KeepAspectRatio);
        return QSize(qRound(fitted.width()), qRound(fitted.height()));
    }

    QIconEngine* clone() const override { return new TFaceEngine(m_picture, m_name); }
    QString key() const override { return QStringLiteral("TFaceEngine"); }
    QString iconName() override { return m_name; }

private:
    const Picture& m_picture;
    QString m_name;
};

} // namespace

QIcon faceIcon(const QString& name) {
    const auto& all = pictures();
    const auto it = all.find(name);
    if (it == all.end()) return QIcon();
    return QIcon(new TFaceEngine(it->second, name));
}

QStringList pictureFaceNames() {
    QStringList names;
    for (const auto& [name, picture] : pictures()) names << name;
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
