#include "jsonwriter.h"

void JsonWriter::newline()
{
    m_out += '\n';
    m_out += QByteArray(qsizetype(m_hasElements.size()) * 2, ' ');
}

void JsonWriter::beforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_hasElements.empty()) {
        if (m_hasElements.back()) m_out += ',';
        m_hasElements.back() = true;
        newline();
    }
}

JsonWriter &JsonWriter::beginObject()
{
    beforeValue();
    m_out += '{';
    m_hasElements.push_back(false);
    return *this;
}

JsonWriter &JsonWriter::endObject()
{
    closeContainer('}');
    return *this;
}

JsonWriter &JsonWriter::beginArray()
{
    beforeValue();
    m_out += '[';
    m_hasElements.push_back(false);
    return *this;
}

JsonWriter &JsonWriter::endArray()
{
    closeContainer(']');
    return *this;
}

void JsonWriter::closeContainer(char bracket)
{
    const bool hadElements = m_hasElements.back();
    m_hasElements.pop_back();
    if (hadElements) newline();
    m_out += bracket;
}

JsonWriter &JsonWriter::key(const char *name)
{
    beforeValue();
    m_out += '"';
    m_out += name;
    m_out += "\": ";
    m_afterKey = true;
    return *this;
}

JsonWriter &JsonWriter::value(const QString &text)
{
    beforeValue();
    m_out += '"';
    // Escaping the UTF-8 bytes is safe: every byte of a multi-byte sequence is >= 0x80.
    for (const char byte : text.toUtf8()) {
        switch (byte) {
        case '"':
            m_out += "\\\"";
            break;
        case '\\':
            m_out += "\\\\";
            break;
        case '\n':
            m_out += "\\n";
            break;
        case '\r':
            m_out += "\\r";
            break;
        case '\t':
            m_out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(byte) < 0x20)
                m_out += "\\u00" + QByteArray::number(static_cast<unsigned char>(byte), 16).rightJustified(2, '0');
            else
                m_out += byte;
        }
    }
    m_out += '"';
    return *this;
}

JsonWriter &JsonWriter::value(qint64 number)
{
    beforeValue();
    m_out += QByteArray::number(number);
    return *this;
}

JsonWriter &JsonWriter::value(bool flag)
{
    beforeValue();
    m_out += flag ? "true" : "false";
    return *this;
}

JsonWriter &JsonWriter::null()
{
    beforeValue();
    m_out += "null";
    return *this;
}
