#pragma once
#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

namespace Ui {
class TURLBuilder;
}

namespace ts {

// The four fields of the URL builder, as typed.
struct TURLParts {
    QString scheme;
    QString server;
    QString path;
    QString file;
};

// scheme + server + "/" + path + "/" + file. Nothing is trimmed and the
// separators stay whatever the scheme, so "mailto:" with a server gives
// "mailto:name//".
QString composeURL(const TURLParts& parts);

// Runs the URL builder modally: its URL on OK, nothing on Cancel or when no
// field was changed.
std::optional<QString> chooseURL(QWidget* parent);

} // namespace ts

// The URL builder: a scheme and three parts, composed as they change.
class TURLBuilder : public QDialog {
    Q_OBJECT

public:
    explicit TURLBuilder(QWidget* parent = nullptr);
    ~TURLBuilder() override;

    // The composed URL; set only once one of the four fields has changed.
    QString url() const { return m_url.value_or(QString()); }
    bool composed() const { return m_url.has_value(); }

private slots:
    void URLChange();

private:
    ts::TURLParts parts() const;

    std::unique_ptr<Ui::TURLBuilder> ui;
    std::optional<QString> m_url;
};
