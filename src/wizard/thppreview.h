#pragma once
#include <QFrame>

// The sketch on the left of each wizard page: what the page being built
// will roughly look like. Decoration only.
class THPPreview : public QFrame {
    Q_OBJECT
public:
    enum class Page { Title, Background, Picture, Paragraph, Link, Author, Finished };

    explicit THPPreview(QWidget* parent = nullptr);

    Page page() const { return m_page; }
    void setPage(Page page);
    // Only the Title sketch follows these two; the later pages always show
    // centred headings and their rules.
    bool headingsCentred() const { return m_centred; }
    void setHeadingsCentred(bool centred);
    bool rulesVisible() const { return m_rules; }
    void setRulesVisible(bool visible);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    Page m_page = Page::Title;
    bool m_centred = true;
    bool m_rules = true;
};
