#include "stats/decoder.h"

#include <vector>

namespace decoding {

QString describePath(const PathStep *step)
{
    std::vector<const PathStep *> steps;
    for (; step; step = step->parent)
        steps.push_back(step);
    QString path;
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        if ((*it)->key.empty()) {
            path += u'[' + QString::number((*it)->index) + u']';
        } else {
            if (!path.isEmpty()) path += u'.';
            path += QString::fromUtf8((*it)->key.data(), static_cast<qsizetype>((*it)->key.size()));
        }
    }
    return path.isEmpty() ? QStringLiteral("(root)") : path;
}

void fail(const PathStep *step, const char *problem)
{
    throw ServiceError(ServiceError::Kind::Decoding,
        QStringLiteral("Invalid data at %1: %2").arg(describePath(step), QString::fromLatin1(problem)));
}

simdjson::dom::element parse(QByteArrayView bytes)
{
    static constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");
    if (bytes.startsWith(byteOrderMark)) bytes = bytes.sliced(byteOrderMark.size());
    // simdjson copies from the pointer even for no bytes, and an empty view may carry a null one.
    if (bytes.isEmpty())
        throw ServiceError(ServiceError::Kind::Decoding, QStringLiteral("Malformed JSON: empty answer"));

    thread_local simdjson::dom::parser parser;
    simdjson::dom::element root;
    // realloc_if_needed copies the bytes into a padded buffer: QByteArray does not
    // promise the padding simdjson reads past the end.
    if (auto error = parser.parse(bytes.data(), static_cast<std::size_t>(bytes.size()), true).get(root)) {
        throw ServiceError(ServiceError::Kind::Decoding,
            QStringLiteral("Malformed JSON: %1").arg(QString::fromUtf8(simdjson::error_message(error))));
    }
    return root;
}

} // namespace decoding
