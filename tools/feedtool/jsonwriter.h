#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// Writes JSON with members in the order they are added (QJsonObject sorts them)
// and 64-bit integers exactly (QJsonValue keeps numbers as doubles).
class JsonWriter {
public:
    JsonWriter &beginObject();
    JsonWriter &endObject();
    JsonWriter &beginArray();
    JsonWriter &endArray();
    JsonWriter &key(const char *name);

    JsonWriter &value(const QString &text);
    JsonWriter &value(qint64 number);
    JsonWriter &value(bool flag);
    JsonWriter &null();

    template <class T> JsonWriter &value(const std::optional<T> &optional)
    {
        return optional ? value(*optional) : null();
    }

    // Two-space indented text with a final newline.
    QByteArray text() const { return m_out + '\n'; }

private:
    void beforeValue();
    void newline();
    void closeContainer(char bracket);

    QByteArray m_out;
    // Per open container: whether it already holds an element.
    std::vector<bool> m_hasElements;
    bool m_afterKey = false;
};
