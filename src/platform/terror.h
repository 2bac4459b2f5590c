#pragma once
#include <QString>
#include <stdexcept>

// The one exception type of the program: a failure whose text is shown to the
// user by the general error handler.
class TError : public std::runtime_error {
public:
    explicit TError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};
