#include "replay/livefeedtimeline.h"

#include <nlohmann/json.hpp>
#include <zlib.h>

using Json = nlohmann::ordered_json;

QString serviceTimecode(const QDateTime &instant)
{
    return instant.toUTC().toString(QStringLiteral("yyyyMMdd_HHmmss"));
}

QByteArray stampedFeed(const QByteArray &feed, const QString &timecode)
{
    Json parsed = Json::parse(feed.begin(), feed.end(), nullptr, false);
    if (!parsed.is_object()) return feed;
    if (!parsed["metaData"].is_object()) parsed["metaData"] = Json::object();
    parsed["metaData"]["timeStamp"] = timecode.toStdString();
    return QByteArray::fromStdString(parsed.dump());
}

QByteArray diffPatchAnswer(const QByteArray &from, const QByteArray &to)
{
    const Json before = Json::parse(from.begin(), from.end(), nullptr, false);
    const Json after = Json::parse(to.begin(), to.end(), nullptr, false);
    if (before.is_discarded() || after.is_discarded()) return {};
    const Json operations = Json::diff(before, after);
    if (operations.empty()) return "[]";
    return QByteArray::fromStdString(Json::array({ Json { { "diff", operations } } }).dump());
}

QByteArray gzipCompressed(const QByteArray &data)
{
    z_stream stream {};
    // 15 window bits, plus 16 for a gzip header and trailer instead of zlib's.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
    QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))) + 32, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return result == Z_STREAM_END ? out : QByteArray();
}
