#include "stats/livefeeddocument.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <simdjson.h>
#include <variant>

using namespace Qt::StringLiterals;
using Json = nlohmann::ordered_json;

namespace {

// The document of an answer parsed by simdjson (several times faster than nlohmann's own parser), or false when it
// nests deeper than `depthLeft` or has an object of more than `maximumMembers` members: copying and comparing
// documents recurse once per level, and each member an operation adds to an object is compared with those before it.
// Counts the values made into `nodes`, which spares a whole feed a second walk to count them.
bool toDocument(simdjson::dom::element element, int depthLeft, Json &out, qint64 &nodes)
{
    if (depthLeft == 0) return false;
    ++nodes;
    switch (element.type()) {
    case simdjson::dom::element_type::ARRAY: {
        const simdjson::dom::array array(element);
        out = Json::array();
        auto &items = out.get_ref<Json::array_t &>();
        items.reserve(array.size());
        for (simdjson::dom::element item : array) {
            if (!toDocument(item, depthLeft - 1, items.emplace_back(), nodes)) return false;
        }
        return true;
    }
    case simdjson::dom::element_type::OBJECT: {
        const simdjson::dom::object object(element);
        if (qint64(object.size()) > LiveFeedDocument::maximumMembers) return false;
        out = Json::object();
        auto &members = out.get_ref<Json::object_t &>();
        members.reserve(object.size());
        for (auto [key, value] : object) {
            members.emplace_back(std::string(key), Json());
            if (!toDocument(value, depthLeft - 1, members.back().second, nodes)) return false;
        }
        return true;
    }
    case simdjson::dom::element_type::STRING:
        out = std::string(std::string_view(element));
        return true;
    case simdjson::dom::element_type::INT64:
        out = std::int64_t(element);
        return true;
    case simdjson::dom::element_type::UINT64:
        out = std::uint64_t(element);
        return true;
    case simdjson::dom::element_type::DOUBLE:
        out = double(element);
        return true;
    case simdjson::dom::element_type::BOOL:
        out = bool(element);
        return true;
    case simdjson::dom::element_type::NULL_VALUE:
        out = nullptr;
        return true;
    }
    return false;
}

struct Parsed {
    Json document;
    // Values in the document.
    qint64 nodes = 0;
};

// The answer as a document, or the reason it is none. The parser is this call's own: one kept for the thread would
// hold on to memory for a whole feed for as long as the application runs.
std::variant<Parsed, QString> documentOf(QByteArrayView answer, int maximumDepth)
{
    static constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");
    if (answer.startsWith(byteOrderMark)) answer = answer.sliced(byteOrderMark.size());
    if (answer.isEmpty()) return u"the answer is empty"_s;
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    if (const auto error = parser.parse(answer.data(), std::size_t(answer.size()), true).get(root))
        return u"the answer is not JSON: "_s + QString::fromUtf8(simdjson::error_message(error));
    Parsed parsed;
    if (!toDocument(root, maximumDepth, parsed.document, parsed.nodes))
        return u"the answer nests too deep or has too many members"_s;
    return parsed;
}

struct Extent {
    qint64 nodes = 0;
    int depth = 0;
};

// Values in `value` and its depth (a scalar is 1 deep); stops counting once the values pass `limit`.
Extent extentOf(const Json &value, qint64 limit)
{
    Extent extent { 1, 1 };
    if (!value.is_structured()) return extent;
    for (const Json &child : value) {
        if (extent.nodes > limit) break;
        const Extent inner = extentOf(child, limit - extent.nodes);
        extent.nodes += inner.nodes;
        extent.depth = std::max(extent.depth, inner.depth + 1);
    }
    return extent;
}

bool isFeed(const Json &feed)
{
    if (!feed.is_object()) return false;
    const auto gameData = feed.find("gameData");
    const auto liveData = feed.find("liveData");
    return gameData != feed.end() && gameData->is_object() && liveData != feed.end() && liveData->is_object();
}

Json gamePkOf(const Json &feed)
{
    const auto found = feed.find("gamePk");
    return found == feed.end() ? Json() : *found;
}

// Makes room for one more member without copying the object's values. A full std::vector of members would copy each
// value whole as it grows, since a member's key is const and so cannot move without a chance of throwing: adding one
// member to liveData would copy the whole play-by-play and box score.
void makeRoomForMember(Json &object)
{
    auto &members = object.get_ref<Json::object_t &>();
    if (members.size() < members.capacity()) return;
    Json::object_t grown;
    grown.reserve(std::max<std::size_t>(4, members.size() * 2));
    for (auto &[key, value] : members)
        grown.emplace_back(key, std::move(value));
    members.swap(grown);
}

QString text(const std::string &utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// Where an RFC 6901 pointer leads: the value there and the container holding it, each null when missing. The
// bounds are checked with one walk; the operation itself is then nlohmann's, which reports any malformed pointer.
struct Location {
    const Json *value = nullptr;
    const Json *parent = nullptr;
};

Location locate(const Json &document, std::string_view pointer)
{
    if (pointer.empty()) return { &document, nullptr };
    if (pointer.front() != '/') return {};
    const Json *current = &document;
    const Json *parent = nullptr;
    std::string token;
    for (std::size_t start = 1;;) {
        const std::size_t end = std::min(pointer.find('/', start), pointer.size());
        token.assign(pointer.substr(start, end - start));
        for (std::size_t at = 0; (at = token.find('~', at)) != std::string::npos; ++at)
            token.replace(at, 2, token.compare(at, 2, "~1") == 0 ? "/" : "~");
        parent = current;
        current = nullptr;
        if (parent->is_object()) {
            const auto found = parent->find(token);
            if (found != parent->end()) current = &*found;
        } else if (parent->is_array() && !token.empty() && token.size() < 10
            && std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            const std::size_t index = std::stoul(token);
            if (index < parent->size()) current = &(*parent)[index];
        } else if (!parent->is_array()) {
            return {};
        }
        if (end == pointer.size()) return { current, parent };
        if (!current) return {};
        start = end + 1;
    }
}

qint64 tokenCount(const std::string &pointer)
{
    return std::count(pointer.begin(), pointer.end(), '/');
}

} // namespace

QString LiveFeedDocument::timecode(const QDateTime &instant)
{
    return instant.toUTC().toString(u"yyyyMMdd_HHmmss"_s);
}

QString LiveFeedDocument::answerTimeStamp(QByteArrayView answer)
{
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    if (parser.parse(answer.data(), std::size_t(answer.size())).get(root)) return {};
    std::string_view stamp;
    if (root.is_object()) {
        if (root.at_pointer("/metaData/timeStamp").get(stamp)) return {};
        return QString::fromUtf8(stamp.data(), qsizetype(stamp.size()));
    }
    simdjson::dom::array entries;
    if (root.get(entries)) return {};
    // The last operation that sets it wins, as applying them in order would have it.
    for (simdjson::dom::element entry : entries) {
        simdjson::dom::array diff;
        if (entry["diff"].get(diff)) continue;
        for (simdjson::dom::element operation : diff) {
            std::string_view path;
            std::string_view kind;
            std::string_view value;
            if (operation["path"].get(path) || path != "/metaData/timeStamp" || operation["op"].get(kind)
                || (kind != "replace" && kind != "add") || operation["value"].get(value))
                continue;
            stamp = value;
        }
    }
    return QString::fromUtf8(stamp.data(), qsizetype(stamp.size()));
}

LiveFeedDocument::LiveFeedDocument() = default;
LiveFeedDocument::~LiveFeedDocument() = default;
LiveFeedDocument::LiveFeedDocument(LiveFeedDocument &&) noexcept = default;
LiveFeedDocument &LiveFeedDocument::operator=(LiveFeedDocument &&) noexcept = default;

void LiveFeedDocument::clear()
{
    m_json.reset();
    m_nodes = 0;
    m_timeStamp.clear();
    m_wait.reset();
}

LiveFeedDocument::Outcome LiveFeedDocument::reject(const QString &reason, QString *problem)
{
    clear();
    if (problem) *problem = reason;
    return Outcome::Rejected;
}

LiveFeedDocument::Outcome LiveFeedDocument::replace(QByteArrayView feed, QString *problem)
{
    // The old document goes first: two feeds at once would double what following a game costs.
    clear();
    auto document = documentOf(feed, maximumDepth);
    if (const auto *failure = std::get_if<QString>(&document)) return reject(*failure, problem);
    auto &[json, nodes] = std::get<Parsed>(document);
    return take(std::move(json), nodes, problem);
}

LiveFeedDocument::Outcome LiveFeedDocument::take(Json feed, qint64 nodes, QString *problem)
{
    if (!isFeed(feed)) return reject(u"the answer is not a live feed"_s, problem);
    if (nodes > maximumNodes) return reject(u"the feed is too large"_s, problem);
    m_json = std::make_unique<Json>(std::move(feed));
    m_nodes = nodes;
    readMetaData();
    return Outcome::Replaced;
}

LiveFeedDocument::Outcome LiveFeedDocument::apply(QByteArrayView answer, QString *problem)
{
    // Each operation sits three levels down: the list, its entry, the entry's operations.
    auto document = documentOf(answer, maximumDepth + 3);
    if (const auto *failure = std::get_if<QString>(&document)) return reject(*failure, problem);
    auto &[parsed, nodes] = std::get<Parsed>(document);
    if (parsed.is_object()) {
        clear();
        return take(std::move(parsed), nodes, problem);
    }
    if (!parsed.is_array()) return reject(u"the answer is neither a list of patches nor a feed"_s, problem);
    std::size_t operations = 0;
    for (const Json &entry : parsed) {
        const auto diff = entry.is_object() ? entry.find("diff") : entry.end();
        if (!entry.is_object() || diff == entry.end() || !diff->is_array())
            return reject(u"a patch entry has no \"diff\" list"_s, problem);
        operations += diff->size();
    }
    if (operations == 0) return Outcome::Unchanged;
    if (isEmpty()) return reject(u"there is no document to patch"_s, problem);

    const QString before = m_timeStamp;
    const Json game = gamePkOf(*m_json);
    try {
        for (Json &entry : parsed) {
            for (Json &operation : entry["diff"]) {
                if (const QString refused = applyOperation(std::move(operation)); !refused.isEmpty())
                    return reject(refused, problem);
            }
        }
    } catch (const Json::exception &error) {
        return reject(u"an operation does not apply: "_s + QString::fromUtf8(error.what()), problem);
    }
    if (!isFeed(*m_json) || gamePkOf(*m_json) != game)
        return reject(u"the patched document is not the game's feed any more"_s, problem);
    readMetaData();
    if (m_timeStamp < before)
        return reject(u"the patch takes the feed back from %1 to %2"_s.arg(before, m_timeStamp), problem);
    return Outcome::Patched;
}

QString LiveFeedDocument::applyOperation(Json operation)
{
    if (!operation.is_object()) return u"an operation is not an object"_s;
    const std::string kind = operation.value("op", std::string());
    const std::string &path = operation.at("path").get_ref<const std::string &>();
    Json &document = *m_json;

    // What the operation takes away: the value it replaces, removes or overwrites as an object member.
    const Location target = locate(document, path);
    const bool overwrites = target.value && kind != "test"
        && (kind == "replace" || kind == "remove" || !target.parent || target.parent->is_object());
    const qint64 removed = overwrites ? extentOf(*target.value, maximumNodes).nodes : 0;
    const bool addsMember = !target.value && target.parent && target.parent->is_object() && kind != "remove";
    if (addsMember && qint64(target.parent->size()) >= maximumMembers) return u"the patch makes an object too large"_s;

    // What it brings: the value given, or the one copied or moved within the document.
    const Json *incoming = nullptr;
    if (kind == "add" || kind == "replace")
        incoming = &operation.at("value");
    else if (kind == "copy" || kind == "move")
        incoming = locate(document, operation.at("from").get_ref<const std::string &>()).value;
    if (incoming) {
        const qint64 room = maximumNodes - (m_nodes - removed);
        const Extent extent = extentOf(*incoming, room);
        if (extent.nodes > room) return u"the patch makes the feed too large"_s;
        if (tokenCount(path) + extent.depth > maximumDepth) return u"the patch nests the feed too deep"_s;
        if (kind != "move") m_nodes += extent.nodes;
    }
    m_nodes -= removed;

    // locate() only reads, but the object it found is the document's own.
    if (addsMember && kind != "test") makeRoomForMember(const_cast<Json &>(*target.parent));

    Json single = Json::array();
    single.push_back(std::move(operation));
    document.patch_inplace(single);
    return {};
}

void LiveFeedDocument::readMetaData()
{
    m_timeStamp.clear();
    m_wait.reset();
    const auto metaData = m_json->find("metaData");
    if (metaData == m_json->end() || !metaData->is_object()) return;
    if (const auto stamp = metaData->find("timeStamp"); stamp != metaData->end() && stamp->is_string())
        m_timeStamp = text(stamp->get_ref<const std::string &>());
    if (const auto wait = metaData->find("wait"); wait != metaData->end() && wait->is_number()) {
        const double seconds
            = std::clamp(wait->get<double>(), double(shortestWait.count()), double(longestWait.count()));
        m_wait = std::chrono::seconds(qRound64(seconds));
    }
}
