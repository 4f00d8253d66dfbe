#include "stats/livefeeddocument.h"

#include <algorithm>
#include <nlohmann/json.hpp>

using namespace Qt::StringLiterals;
using Json = nlohmann::ordered_json;

namespace {

// Whether a JSON text nests no deeper than `maximumDepth` and has no object of more than `maximumMembers` members,
// checked before parsing: copying and comparing documents recurse once per level, and each member added to an object
// is compared with those before it.
bool hasTolerableShape(QByteArrayView text, int maximumDepth, qint64 maximumMembers)
{
    // Per open container: its members so far, or -1 for an array.
    std::vector<qint64> open;
    bool inString = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (qsizetype(open.size()) == maximumDepth) return false;
            open.push_back(c == '{' ? 0 : -1);
        } else if (c == ']' || c == '}') {
            if (!open.empty()) open.pop_back();
        } else if (c == ':' && !open.empty() && open.back() >= 0) {
            if (++open.back() > maximumMembers) return false;
        }
    }
    return true;
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

QString text(const std::string &utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

qint64 tokenCount(const std::string &pointer)
{
    return std::count(pointer.begin(), pointer.end(), '/');
}

} // namespace

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
    if (!hasTolerableShape(feed, maximumDepth, maximumMembers))
        return reject(u"the feed nests too deep or has too many members"_s, problem);
    Json parsed = Json::parse(feed.begin(), feed.end(), nullptr, false);
    if (parsed.is_discarded()) return reject(u"the feed is not JSON"_s, problem);
    return take(std::move(parsed), problem);
}

LiveFeedDocument::Outcome LiveFeedDocument::take(Json feed, QString *problem)
{
    if (!isFeed(feed)) return reject(u"the answer is not a live feed"_s, problem);
    const qint64 nodes = extentOf(feed, maximumNodes).nodes;
    if (nodes > maximumNodes) return reject(u"the feed is too large"_s, problem);
    m_json = std::make_unique<Json>(std::move(feed));
    m_nodes = nodes;
    readMetaData();
    return Outcome::Replaced;
}

LiveFeedDocument::Outcome LiveFeedDocument::apply(QByteArrayView answer, QString *problem)
{
    // Each operation sits three levels down: the list, its entry, the entry's operations.
    if (!hasTolerableShape(answer, maximumDepth + 3, maximumMembers))
        return reject(u"the answer nests too deep or has too many members"_s, problem);
    Json parsed = Json::parse(answer.begin(), answer.end(), nullptr, false);
    if (parsed.is_discarded()) return reject(u"the answer is not JSON"_s, problem);
    if (parsed.is_object()) {
        clear();
        return take(std::move(parsed), problem);
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
    const std::string pathText = operation.at("path").get<std::string>();
    const Json::json_pointer path(pathText);
    Json &document = *m_json;

    // What the operation takes away: the value it replaces, removes or overwrites as an object member.
    qint64 removed = 0;
    const bool targetExists = document.contains(path);
    const Json *parent
        = path.empty() || !document.contains(path.parent_pointer()) ? nullptr : &document.at(path.parent_pointer());
    const bool overwrites = targetExists && (kind == "replace" || kind == "remove" || !parent || parent->is_object());
    if (overwrites && kind != "test") removed = extentOf(document.at(path), maximumNodes).nodes;
    const bool addsMember = !targetExists && parent && parent->is_object() && kind != "remove" && kind != "test";
    if (addsMember && qint64(parent->size()) >= maximumMembers) return u"the patch makes an object too large"_s;

    // What it brings: the value given, or the one copied or moved within the document.
    const Json *incoming = nullptr;
    if (kind == "add" || kind == "replace") {
        incoming = &operation.at("value");
    } else if (kind == "copy" || kind == "move") {
        incoming = &document.at(Json::json_pointer(operation.at("from").get<std::string>()));
    }
    if (incoming) {
        const qint64 room = maximumNodes - (m_nodes - removed);
        const Extent extent = extentOf(*incoming, room);
        if (extent.nodes > room) return u"the patch makes the feed too large"_s;
        if (tokenCount(pathText) + extent.depth > maximumDepth) return u"the patch nests the feed too deep"_s;
        if (kind != "move") m_nodes += extent.nodes;
    }
    m_nodes -= removed;

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
