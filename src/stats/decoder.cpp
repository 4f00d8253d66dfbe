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

void malformed(simdjson::error_code error)
{
    throw ServiceError(ServiceError::Kind::Decoding,
        QStringLiteral("Malformed JSON: %1").arg(QString::fromUtf8(simdjson::error_message(error))));
}

namespace {

QByteArrayView withoutByteOrderMark(QByteArrayView bytes)
{
    static constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");
    if (bytes.startsWith(byteOrderMark)) bytes = bytes.sliced(byteOrderMark.size());
    // simdjson copies from the pointer even for no bytes, and an empty view may carry a null one.
    if (bytes.isEmpty())
        throw ServiceError(ServiceError::Kind::Decoding, QStringLiteral("Malformed JSON: empty answer"));
    return bytes;
}

} // namespace

simdjson::dom::element parse(QByteArrayView bytes)
{
    bytes = withoutByteOrderMark(bytes);
    thread_local simdjson::dom::parser parser;
    simdjson::dom::element root;
    // realloc_if_needed copies the bytes into a padded buffer: QByteArray does not
    // promise the padding simdjson reads past the end.
    if (auto error = parser.parse(bytes.data(), static_cast<std::size_t>(bytes.size()), true).get(root))
        malformed(error);
    return root;
}

namespace {

thread_local simdjson::ondemand::document onDemandDocument;

} // namespace

simdjson::ondemand::value iterate(QByteArrayView bytes)
{
    bytes = withoutByteOrderMark(bytes);
    thread_local simdjson::ondemand::parser parser;
    thread_local simdjson::padded_string padded;
    padded = simdjson::padded_string(bytes.data(), static_cast<std::size_t>(bytes.size()));
    if (auto error = parser.iterate(padded).get(onDemandDocument)) malformed(error);
    simdjson::ondemand::value root;
    if (auto error = onDemandDocument.get_value().get(root)) malformed(error);
    return root;
}

void finishIterating()
{
    // Records, lists and maps are each read to their end (a cut answer fails there), so all that is left to check of
    // a whole answer is that nothing follows its value.
    const char *next = nullptr;
    if (onDemandDocument.current_location().get(next) != simdjson::OUT_OF_BOUNDS) malformed(simdjson::TRAILING_CONTENT);
}

} // namespace decoding
