#include "editor/palette.h"

#include "editor/faces.h"

#include <QAction>
#include <QFrame>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace ts {

namespace {

struct ButtonDef {
    const char* name;
    int left;
    const char* hint;
    int width = 25;
};

struct PageDef {
    const char* objectName;
    const char* caption;
    QList<ButtonDef> buttons;
};

constexpr int kButtonSize = 25;
// Top edge of the buttons on a palette page.
constexpr int kPageButtonTop = 2;

const QList<ButtonDef> kEditRow1{
    {"sbSearch", 3, "Search..."},
    {"sbReplace", 27, "Replace..."},
    {"sbIndent", 56, "Indent"},
    {"sbOutdent", 80, "Unindent"},
};
const QList<ButtonDef> kEditRow2{
    {"sbCut", 3, "Cut the selected text"},
    {"sbCopy", 27, "Copy the selected text"},
    {"sbPaste", 51, "Paste text"},
    {"sbUndo", 80, "Undo..."},
    {"sbComponents", 109, "Shows the components-list"},
};

QList<PageDef> pageDefs() {
    QList<ButtonDef> user;
    for (int i = 0; i < 9; ++i) {
        static const char* const names[] = {"sbUser1", "sbUser2", "sbUser3", "sbUser4", "sbUser5",
                                            "sbUser6", "sbUser7", "sbUser8", "sbUser9"};
        user.append({names[i], i * 49, "", 50});
    }
    return {
        {"tsGeneral",
         "General",
         {{"sbQuickDoc", 0, "QuickDocument"},
          {"sbHeading", 32, "Insert a heading"},
          {"sbLineBreak", 64, "Insert a line break"},
          {"sbParagraph", 88, "Insert a paragraph"},
          {"sbHRule", 120, "Insert a horizontal rule"},
          {"sbBold", 152, "Insert a bold tag"},
          {"sbItalic", 176, "Insert an italic tag"},
          {"sbUnderline", 200, "Insert an underline tag"},
          {"sbAnchor", 232, "Insert an anchor"},
          {"sbImage", 256, "Insert an image tag"}}},
        {"tsFonts",
         "Fonts",
         {{"sbQuickFont", 0, "QuickFont"},
          {"sbPre", 32, "Preformatted text"},
          {"sbSub", 64, "Subscribt"},
          {"sbSup", 88, "Superscript"},
          {"sbStrong", 120, "Strong"},
          {"sbEmp", 152, "Emphasis"}}},
        {"tsTables",
         "Tables",
         {{"sbTableEdit", 0, "QuickTable"},
          {"sbTable", 32, "Table"},
          {"sbTableCaption", 56, "Table caption"},
          {"sbTR", 88, "Table row"},
          {"sbTD", 112, "Table data"}}},
        {"tsForms",
         "Forms",
         {{"sbQuickForm", 0, "QuickForm"},
          {"SpeedButton2", 32, "Insert a form tag"},
          {"sbText", 64, "Insert a text field"},
          {"sbHiddenText", 88, "Insert a hidden text field"},
          {"sbEntry", 112, "Insert a text box"},
          {"sbCheckBox", 144, "Insert a checkbox"},
          {"sbRadioButton", 168, "Insert a radio-button"},
          {"sbDropDown", 192, "Insert a dropdown-list"},
          {"sbSubmit", 224, "Insert a Submit-button"},
          {"sbReset", 248, "Insert a Reset-button"}}},
        {"tsLists",
         "Lists",
         {{"sbOrdList", 0, "Ordered list"},
          {"sbUnOrdList", 24, "Unordered list"},
          {"sbListItem", 48, "List item"},
          {"sbMenuList", 80, "Menu list"},
          {"sbDirList", 112, "Directory list"}}},
        {"tsFrames",
         "Frames",
         {{"sbFrameSet", 0, "FrameSet"}, {"sbFrame", 24, "Frame"}, {"sbNoFrames", 56, "No Frame"}}},
        {"tsSpecial",
         "Special",
         {{"sbParty", 0, "Insert a \"Party\"-tag", 57},
          {"sbColorMixer", 64, "Color-Mixer"},
          {"sbImgGallery", 96, "Image gallery"}}},
        {"tsUserTags", "User-Tags", user},
    };
}

QToolButton* makeButton(QWidget* parent, const ButtonDef& def, int top) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(def.name));
    b->setGeometry(def.left, top, def.width, kButtonSize);
    const QString hint = QString::fromUtf8(def.hint);
    b->setToolTip(hint);
    b->setAccessibleName(hint);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    if (applyFace(b) && !b->icon().isNull()) {
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        // Room for the button's bevel around the picture.
        b->setIconSize(QSize(def.width - 7, kButtonSize - 7));
    }
    return b;
}

} // namespace

QToolButton* TPalette::button(const QString& objectName) const {
    for (QToolButton* b : buttons)
        if (b->objectName() == objectName) return b;
    return nullptr;
}

QAction* TPalette::action(const QString& objectName) const {
    for (QAction* a : menuActions)
        if (a->objectName() == objectName) return a;
    return nullptr;
}

TPalette buildPalette(QWidget* parent) {
    TPalette p;

    p.panel1 = new QWidget(parent);
    p.panel1->setObjectName(QStringLiteral("Panel1"));
    p.panel1->setFixedHeight(73);
    p.panel1->setMinimumWidth(152 + 474 + 8);

    p.panel4 = new QFrame(p.panel1);
    p.panel4->setObjectName(QStringLiteral("Panel4"));
    p.panel4->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    p.panel4->setLineWidth(1);
    p.panel4->setGeometry(8, 8, 137, 57);
    for (const ButtonDef& s : kEditRow1) p.buttons.append(makeButton(p.panel4, s, 3));
    for (const ButtonDef& s : kEditRow2) p.buttons.append(makeButton(p.panel4, s, 29));

    p.pageControl1 = new QTabWidget(p.panel1);
    p.pageControl1->setObjectName(QStringLiteral("PageControl1"));
    p.pageControl1->setGeometry(152, 8, 474, 57);
    p.pageControl1->setUsesScrollButtons(true);
    p.pageControl1->setFocusPolicy(Qt::TabFocus);
    for (const PageDef& page : pageDefs()) {
        auto* w = new QWidget;
        w->setObjectName(QString::fromLatin1(page.objectName));
        for (const ButtonDef& s : page.buttons) p.buttons.append(makeButton(w, s, kPageButtonTop));
        p.pageControl1->addTab(w, QString::fromLatin1(page.caption));
    }
    p.pageControl1->setCurrentIndex(0);
    // All eight tabs should be visible in the palette's width; step the tab
    // font down a little where the desktop font is larger than the layout's.
    QTabBar* tabs = p.pageControl1->tabBar();
    QFont tabFont = tabs->font();
    while (tabs->sizeHint().width() > p.pageControl1->width() - 4 && tabFont.pointSizeF() > 7) {
        tabFont.setPointSizeF(tabFont.pointSizeF() - 0.5);
        tabs->setFont(tabFont);
    }

    p.pmHTML = new QMenu(parent);
    p.pmHTML->setObjectName(QStringLiteral("pmHTML"));
    const std::pair<const char*, const char*> entries[] = {
        {"miQuickDoc", "Quick &Document"},
        {"miQuickFont", "Quick &Font"},
        {"miQuickTable", "Quick &Table"},
        {"miQuickForm", "Quick F&orm"},
    };
    for (const auto& [name, caption] : entries) {
        QAction* a = p.pmHTML->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        p.menuActions.append(a);
    }
    return p;
}

} // namespace ts
