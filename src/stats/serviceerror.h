#pragma once

#include <QString>
#include <exception>

// The one error type of the stats client: what went wrong (the transfer or the
// decoding of its answer) and a description a person can read.
class ServiceError : public std::exception {
public:
    enum class Kind { Transfer, Decoding };

    ServiceError(Kind kind, QString description)
        : m_kind(kind)
        , m_description(std::move(description))
        , m_what(m_description.toUtf8())
    { }

    Kind kind() const { return m_kind; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    Kind m_kind;
    QString m_description;
    QByteArray m_what;
};
