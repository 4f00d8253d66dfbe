#pragma once

#include <QString>
#include <exception>
#include <optional>

// The one error type of the stats client: what went wrong (the transfer or the
// decoding of its answer), a description a person can read and, when the service answered with an error
// status, that status.
class ServiceError : public std::exception {
public:
    enum class Kind { Transfer, Decoding };

    ServiceError(Kind kind, QString description, std::optional<int> httpStatus = std::nullopt)
        : m_kind(kind)
        , m_description(std::move(description))
        , m_what(m_description.toUtf8())
        , m_httpStatus(httpStatus)
    { }

    Kind kind() const { return m_kind; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }
    std::optional<int> httpStatus() const { return m_httpStatus; }

private:
    Kind m_kind;
    QString m_description;
    QByteArray m_what;
    std::optional<int> m_httpStatus;
};
