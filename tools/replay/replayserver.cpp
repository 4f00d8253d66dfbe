#include "replay/replayserver.h"

#include "replay/httpconnection.h"
#include "replay/livefeedtimeline.h"
#include "stats/gameday.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray jsonContentType = "application/json;charset=UTF-8";

QByteArray contentTypeForFile(const QString &file)
{
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == u"json") return jsonContentType;
    if (suffix == u"png") return "image/png";
    if (suffix == u"svg") return "image/svg+xml";
    if (suffix == u"xml") return "application/rss+xml;charset=UTF-8";
    return "application/octet-stream";
}

QString percentDecoded(QByteArrayView part)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(part.toByteArray()));
}

using QueryItems = QList<QPair<QString, QString>>;

// Qt clients send '+' literally (a space goes out as %20), so '+' is not read as a space here.
QueryItems queryItems(QByteArrayView query)
{
    QueryItems items;
    if (query.isEmpty()) return items;
    for (const QByteArray &item : query.toByteArray().split('&')) {
        const qsizetype equals = item.indexOf('=');
        if (equals < 0)
            items.append({ percentDecoded(item), QString() });
        else
            items.append({ percentDecoded(item.first(equals)), percentDecoded(item.sliced(equals + 1)) });
    }
    return items;
}

QString queryValue(const QueryItems &items, const QString &key)
{
    for (const auto &[name, value] : items) {
        if (name == key) return value;
    }
    return {};
}

bool queryMatches(const QMap<QString, QString> &params, const QueryItems &items)
{
    for (auto it = params.cbegin(); it != params.cend(); ++it) {
        // "@today" stands for the league's game day now, the day the application asks for as "Today".
        const QString value
            = it.value() == u"@today"_s ? gameDay(QDateTime::currentDateTimeUtc()).toString(Qt::ISODate) : it.value();
        if (!items.contains(qMakePair(it.key(), value))) return false;
    }
    return true;
}

const QString schedulePath = u"/api/v1/schedule"_s;
// A stretch longer than this is not put together from single days.
constexpr qint64 longestComposedRange = 31;

// The stats service's own answer for a path it does not know.
Answer notFound()
{
    Answer answer;
    answer.status = 404;
    answer.contentType = jsonContentType;
    answer.body = R"({"messageNumber":10,"message":"Object not found","timestamp":")"
        + QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toLatin1() + R"(","traceId":null})";
    return answer;
}

Answer plainTextAnswer(int status, const QString &text)
{
    Answer answer;
    answer.status = status;
    answer.contentType = "text/plain;charset=UTF-8";
    answer.body = text.toUtf8() + '\n';
    return answer;
}

const QString diffPatchSuffix = u"/diffPatch"_s;

bool isLiveFeedTimeline(const Route &route)
{
    return !route.timeline.empty() && route.path.endsWith(u"/feed/live"_s);
}

// The index of the latest timeline entry whose second has come.
std::size_t entryAt(const std::vector<TimelineEntry> &timeline, qint64 now)
{
    const auto next
        = std::find_if(timeline.begin(), timeline.end(), [now](const TimelineEntry &entry) { return entry.at > now; });
    return next == timeline.begin() ? 0 : std::size_t(std::prev(next) - timeline.begin());
}

const QByteArray html500Page = "<!DOCTYPE html>\n<html><head><title>500 Internal Server Error</title></head>\n"
                               "<body><h1>Internal Server Error</h1><p>The server encountered an internal error "
                               "and was unable to complete your request.</p></body></html>\n";

std::optional<Fault> faultNamed(const QString &name)
{
    static const QMap<QString, Fault> faults {
        { u"none"_s, Fault::None },
        { u"html500"_s, Fault::Html500 },
        { u"truncate"_s, Fault::Truncate },
        { u"stall"_s, Fault::Stall },
        { u"reset"_s, Fault::Reset },
        { u"huge"_s, Fault::Huge },
        { u"malformed"_s, Fault::MalformedJson },
    };
    const auto it = faults.find(name);
    if (it == faults.end()) return std::nullopt;
    return *it;
}

std::optional<qint64> integerIn(const QJsonValue &value, qint64 min, qint64 max)
{
    if (!value.isDouble()) return std::nullopt;
    const double number = value.toDouble();
    if (std::floor(number) != number || number < double(min) || number > double(max)) return std::nullopt;
    return static_cast<qint64>(number);
}

// Reads one manifest route; returns what is wrong with it, or an empty text.
QString readRoute(const QJsonValue &value, const QDir &base, const QString &where, Route *route)
{
    if (!value.isObject()) return where + u" must be an object"_s;
    const QJsonObject object = value.toObject();
    static const QStringList known { u"path"_s, u"params"_s, u"file"_s, u"files"_s, u"body"_s, u"status"_s,
        u"contentType"_s, u"delayMs"_s, u"fault"_s, u"hugeBytes"_s, u"rebaseDay"_s, u"timeline"_s,
        u"ignoresTimecodes"_s };
    for (const QString &key : object.keys()) {
        if (!known.contains(key)) return where + u": unknown key \"%1\" (known: %2)"_s.arg(key, known.join(u", "_s));
    }

    const QString path = object.value(u"path"_s).toString();
    if (!path.startsWith(u'/')) return where + u".path must be a text starting with \"/\""_s;
    route->path = path;

    if (object.contains(u"params"_s)) {
        if (!object.value(u"params"_s).isObject()) return where + u".params must be an object of texts"_s;
        const QJsonObject params = object.value(u"params"_s).toObject();
        for (auto it = params.begin(); it != params.end(); ++it) {
            if (!it.value().isString()) return where + u".params.%1 must be a text"_s.arg(it.key());
            route->params.insert(it.key(), it.value().toString());
        }
    }

    if (int(object.contains(u"file"_s)) + int(object.contains(u"files"_s)) + int(object.contains(u"body"_s))
            + int(object.contains(u"timeline"_s))
        > 1)
        return where + u": give only one of \"file\", \"files\", \"body\" and \"timeline\""_s;
    QStringList names;
    if (object.contains(u"file"_s)) {
        if (object.value(u"file"_s).toString().isEmpty()) return where + u".file must be a non-empty text"_s;
        names.append(object.value(u"file"_s).toString());
    }
    if (object.contains(u"files"_s)) {
        const QJsonArray files = object.value(u"files"_s).toArray();
        if (files.isEmpty()) return where + u".files must be a non-empty array of texts"_s;
        for (qsizetype i = 0; i < files.size(); ++i) {
            if (files.at(i).toString().isEmpty()) return where + u".files[%1] must be a non-empty text"_s.arg(i);
            names.append(files.at(i).toString());
        }
    }
    const auto readable = [&](const QString &name, QString *absolute) {
        const QFileInfo file(base.filePath(name));
        *absolute = file.absoluteFilePath();
        if (file.isFile() && file.isReadable()) return QString();
        return where + u": no readable file \"%1\" (looked at %2)"_s.arg(name, file.absoluteFilePath());
    };
    for (const QString &name : names) {
        QString found;
        if (const QString problem = readable(name, &found); !problem.isEmpty()) return problem;
        route->files.append(found);
    }
    if (object.contains(u"timeline"_s)) {
        const QJsonArray timeline = object.value(u"timeline"_s).toArray();
        if (timeline.isEmpty()) return where + u".timeline must be a non-empty array of {\"at\", \"file\"}"_s;
        for (qsizetype i = 0; i < timeline.size(); ++i) {
            const QString entry = where + u".timeline[%1]"_s.arg(i);
            const QJsonObject step = timeline.at(i).toObject();
            if (!timeline.at(i).isObject() || step.size() != 2 || !step.contains(u"at"_s) || !step.contains(u"file"_s))
                return entry + u" must be an object with exactly \"at\" and \"file\""_s;
            const auto at = integerIn(step.value(u"at"_s), 0, qint64(1) << 40);
            if (!at) return entry + u".at must be a non-negative integer (seconds)"_s;
            if (i == 0 && *at != 0) return entry + u".at must be 0, so that something answers from the start"_s;
            if (i > 0 && *at <= route->timeline.back().at)
                return entry + u".at must be later than the entry before it"_s;
            if (step.value(u"file"_s).toString().isEmpty()) return entry + u".file must be a non-empty text"_s;
            QString found;
            if (const QString problem = readable(step.value(u"file"_s).toString(), &found); !problem.isEmpty())
                return problem;
            route->timeline.push_back({ *at, found });
        }
    }
    if (object.contains(u"body"_s)) {
        if (!object.value(u"body"_s).isString()) return where + u".body must be a text"_s;
        route->body = object.value(u"body"_s).toString().toUtf8();
    }

    if (object.contains(u"status"_s)) {
        const auto status = integerIn(object.value(u"status"_s), 200, 599);
        if (!status) return where + u".status must be an integer from 200 to 599"_s;
        route->status = int(*status);
    }
    if (object.contains(u"delayMs"_s)) {
        const auto delay = integerIn(object.value(u"delayMs"_s), 0, 3'600'000);
        if (!delay) return where + u".delayMs must be an integer from 0 to 3600000"_s;
        route->delayMs = int(*delay);
    }
    if (object.contains(u"hugeBytes"_s)) {
        const auto size = integerIn(object.value(u"hugeBytes"_s), 0, qint64(1) << 40);
        if (!size) return where + u".hugeBytes must be a non-negative integer"_s;
        route->hugeBytes = *size;
    }
    if (object.contains(u"contentType"_s)) {
        if (object.value(u"contentType"_s).toString().isEmpty())
            return where + u".contentType must be a non-empty text"_s;
        route->contentType = object.value(u"contentType"_s).toString().toUtf8();
    }
    if (object.contains(u"rebaseDay"_s)) {
        route->rebaseDay = QDate::fromString(object.value(u"rebaseDay"_s).toString(), u"yyyy-MM-dd"_s);
        if (!route->rebaseDay.isValid()) return where + u".rebaseDay must be a day written yyyy-MM-dd"_s;
    }
    if (object.contains(u"ignoresTimecodes"_s)) {
        if (!object.value(u"ignoresTimecodes"_s).isBool()) return where + u".ignoresTimecodes must be true or false"_s;
        route->ignoresTimecodes = object.value(u"ignoresTimecodes"_s).toBool();
    }
    if (object.contains(u"fault"_s)) {
        const auto fault = faultNamed(object.value(u"fault"_s).toString());
        if (!fault) return where + u".fault must be one of none, html500, truncate, stall, reset, huge, malformed"_s;
        route->fault = *fault;
    }
    return {};
}

} // namespace

QByteArray rebasedBody(const QByteArray &body, qint64 days)
{
    // A date opens a JSON text and is the whole text or followed by a time; dates inside prose stay.
    static const QRegularExpression date(u"(?<=\")(\\d{4}-\\d{2}-\\d{2})(?=[\"T])"_s);
    const QString text = QString::fromUtf8(body);
    QString out;
    qsizetype copied = 0;
    for (auto it = date.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QDate day = QDate::fromString(match.captured(1), u"yyyy-MM-dd"_s);
        if (!day.isValid()) continue;
        out += QStringView(text).mid(copied, match.capturedStart(1) - copied);
        out += day.addDays(days).toString(u"yyyy-MM-dd"_s);
        copied = match.capturedEnd(1);
    }
    out += QStringView(text).mid(copied);
    return out.toUtf8();
}

ReplayServer::ReplayServer(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    m_started.start();
    m_startedAt = QDateTime::currentDateTimeUtc();
    m_uptime = [this] { return m_started.elapsed() / 1000; };
    connect(m_server, &QTcpServer::newConnection, this, &ReplayServer::acceptConnections);
}

ReplayServer::~ReplayServer()
{
    // Connections call back into the routes, so they go before the members do.
    qDeleteAll(findChildren<HttpConnection *>(Qt::FindDirectChildrenOnly));
}

bool ReplayServer::listen(const QHostAddress &address, quint16 port)
{
    if (!m_server->listen(address, port)) return false;
    m_started.restart();
    m_startedAt = QDateTime::currentDateTimeUtc();
    return true;
}

quint16 ReplayServer::port() const
{
    return m_server->serverPort();
}

QString ReplayServer::baseUrl() const
{
    const QHostAddress address = m_server->serverAddress();
    QString host = u"127.0.0.1"_s;
    if (address == QHostAddress::AnyIPv6 || address == QHostAddress::LocalHostIPv6)
        host = u"[::1]"_s;
    else if (address.protocol() == QAbstractSocket::IPv6Protocol && address != QHostAddress::Any)
        host = u"[%1]"_s.arg(address.toString());
    else if (address.protocol() == QAbstractSocket::IPv4Protocol && address != QHostAddress::AnyIPv4)
        host = address.toString();
    return u"http://%1:%2"_s.arg(host).arg(port());
}

QString ReplayServer::errorString() const
{
    return m_server->errorString();
}

bool ReplayServer::loadManifest(const QString &manifestPath, QString *error)
{
    const auto fail = [&](const QString &problem) {
        if (error) *error = u"%1: %2"_s.arg(manifestPath, problem);
        return false;
    };
    QFile file(manifestPath);
    if (!file.open(QIODevice::ReadOnly)) return fail(u"cannot open: "_s + file.errorString());
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(u"not valid JSON at offset %1: %2"_s.arg(parseError.offset).arg(parseError.errorString()));
    if (!document.isObject() || !document.object().value(u"routes"_s).isArray())
        return fail(u"expected an object with a \"routes\" array"_s);
    if (document.object().size() != 1) return fail(u"only \"routes\" is allowed at the top level"_s);

    const QDir base = QFileInfo(manifestPath).absoluteDir();
    const QJsonArray routes = document.object().value(u"routes"_s).toArray();
    std::vector<RouteState> loaded;
    for (qsizetype i = 0; i < routes.size(); ++i) {
        Route route;
        const QString problem = readRoute(routes.at(i), base, u"routes[%1]"_s.arg(i), &route);
        if (!problem.isEmpty()) return fail(problem);
        loaded.push_back({ std::move(route) });
    }
    std::move(loaded.begin(), loaded.end(), std::back_inserter(m_routes));
    return true;
}

void ReplayServer::addRoute(Route route)
{
    m_routes.push_back({ std::move(route) });
}

void ReplayServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection())
        new HttpConnection(
            socket, [this](const HttpRequest &request) { return answer(request); }, this);
}

QString ReplayServer::timelineTimecode(qint64 at) const
{
    return serviceTimecode(m_startedAt.addSecs(at));
}

Answer ReplayServer::answer(const HttpRequest &request)
{
    Answer answer = answerUncompressed(request);
    // A fault stands for something on the wire, which is clearer unencoded.
    if (request.acceptsGzip && answer.fault == Fault::None && !answer.body.isEmpty()) {
        answer.body = gzipCompressed(answer.body);
        answer.extraHeaders.append({ QByteArray("Content-Encoding"), QByteArray("gzip") });
    }
    return answer;
}

Answer ReplayServer::answerUncompressed(const HttpRequest &request)
{
    const QString target = QString::fromUtf8(request.target);
    m_log.append(target);
    Q_EMIT requestReceived(target);

    if (request.method != "GET") {
        Answer answer = plainTextAnswer(405, u"Only GET is served here"_s);
        answer.extraHeaders.append({ QByteArray("Allow"), QByteArray("GET") });
        return answer;
    }
    const qsizetype question = request.target.indexOf('?');
    const QString path
        = percentDecoded(QByteArrayView(request.target).first(question < 0 ? request.target.size() : question));
    const QueryItems query
        = queryItems(question < 0 ? QByteArrayView() : QByteArrayView(request.target).sliced(question + 1));
    if (std::optional<Answer> composed = answerScheduleRange(path, query)) return *composed;
    if (RouteState *state = matchingRoute(path, query)) return answerFromRoute(*state, query);
    if (path.endsWith(diffPatchSuffix)) {
        const QString feedPath = path.chopped(diffPatchSuffix.size());
        for (const RouteState &state : m_routes) {
            if (state.route.path == feedPath && isLiveFeedTimeline(state.route)
                && queryMatches(state.route.params, query))
                return answerDiffPatch(state, query);
        }
    }
    m_unanswered.append(target);
    Q_EMIT requestUnanswered(target);
    return notFound();
}

ReplayServer::RouteState *ReplayServer::matchingRoute(const QString &path, const QueryItems &query)
{
    for (RouteState &state : m_routes) {
        if (state.route.path == path && queryMatches(state.route.params, query)) return &state;
    }
    return nullptr;
}

std::optional<Answer> ReplayServer::answerScheduleRange(const QString &path, const QueryItems &query)
{
    // Schedules of a stretch of days (startDate to endDate) are put together from the routes of its single days,
    // each day's answer cut to its own day's entry, unless a route answers the stretch itself. A club's schedule
    // (teamId) is always its own route.
    if (path != schedulePath || !queryValue(query, u"teamId"_s).isEmpty()) return std::nullopt;
    const QDate first = QDate::fromString(queryValue(query, u"startDate"_s), Qt::ISODate);
    const QDate last = QDate::fromString(queryValue(query, u"endDate"_s), Qt::ISODate);
    if (!first.isValid() || !last.isValid() || first > last || first.daysTo(last) > longestComposedRange)
        return std::nullopt;
    const bool routeForStretch = std::ranges::any_of(m_routes, [&](const RouteState &state) {
        return state.route.path == path && state.route.params.contains(u"startDate"_s)
            && queryMatches(state.route.params, query);
    });
    if (routeForStretch) return std::nullopt;

    QueryItems dayQuery;
    for (const auto &item : query) {
        if (item.first != u"startDate"_s && item.first != u"endDate"_s) dayQuery.append(item);
    }
    QJsonArray dates;
    qint64 totalGames = 0;
    bool answered = false;
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        QueryItems oneDay = dayQuery;
        oneDay.append({ u"date"_s, day.toString(Qt::ISODate) });
        RouteState *state = matchingRoute(path, oneDay);
        if (!state) continue;
        answered = true;
        Answer answer = answerFromRoute(*state);
        // A failing day fails the whole stretch, as one request to the service would.
        if (answer.fault != Fault::None || answer.status != 200) return answer;
        const QJsonObject body = QJsonDocument::fromJson(answer.body).object();
        for (const QJsonValue &entry : body.value(u"dates"_s).toArray()) {
            if (entry[u"date"_s].toString() != day.toString(Qt::ISODate)) continue;
            totalGames += entry[u"games"_s].toArray().size();
            dates.append(entry);
        }
    }
    if (!answered) return std::nullopt;
    Answer answer;
    answer.contentType = jsonContentType;
    answer.body = QJsonDocument(QJsonObject { { u"totalGames"_s, totalGames }, { u"dates"_s, dates } })
                      .toJson(QJsonDocument::Compact);
    return answer;
}

std::size_t ReplayServer::timelineEntry(const Route &route, const QueryItems &query, const QString &key) const
{
    const std::size_t now = entryAt(route.timeline, m_uptime());
    const QString asked = queryValue(query, key);
    if (asked.isEmpty() || route.ignoresTimecodes || !isLiveFeedTimeline(route)) return now;
    // The latest state at or before the time code; the first one for a time code before the game's.
    std::size_t entry = 0;
    for (std::size_t i = 0; i <= now; ++i) {
        if (timelineTimecode(route.timeline.at(i).at) <= asked) entry = i;
    }
    return entry;
}

Answer ReplayServer::answerFromRoute(RouteState &state, const QueryItems &query)
{
    const Route &route = state.route;
    QString fileName;
    const std::size_t entry = route.timeline.empty() ? 0 : timelineEntry(route, query, u"timecode"_s);
    if (!route.timeline.empty()) {
        fileName = route.timeline.at(entry).file;
    } else if (!route.files.isEmpty()) {
        fileName = route.files.at(std::min(state.answered, route.files.size() - 1));
    }
    ++state.answered;

    Answer answer;
    answer.status = route.status;
    answer.delayMs = route.delayMs;
    answer.fault = route.fault;
    answer.hugeBytes = route.hugeBytes;
    if (!route.contentType.isEmpty())
        answer.contentType = route.contentType;
    else
        answer.contentType = fileName.isEmpty() ? jsonContentType : contentTypeForFile(fileName);
    if (fileName.isEmpty()) {
        answer.body = route.body;
    } else if (route.fault != Fault::Huge) {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return plainTextAnswer(500, u"cannot read %1: %2"_s.arg(fileName, file.errorString()));
        answer.body = file.readAll();
    }

    // The demo's "today" is the league's game day now.
    if (route.rebaseDay.isValid())
        answer.body = rebasedBody(answer.body, route.rebaseDay.daysTo(gameDay(QDateTime::currentDateTimeUtc())));
    if (isLiveFeedTimeline(route) && route.fault != Fault::Huge)
        answer.body = stampedFeed(answer.body, timelineTimecode(route.timeline.at(entry).at));
    applyFault(answer, route.fault);
    return answer;
}

QByteArray ReplayServer::timelineBody(const Route &route, std::size_t entry) const
{
    QFile file(route.timeline.at(entry).file);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray body = file.readAll();
    if (route.rebaseDay.isValid())
        body = rebasedBody(body, route.rebaseDay.daysTo(gameDay(QDateTime::currentDateTimeUtc())));
    return stampedFeed(body, timelineTimecode(route.timeline.at(entry).at));
}

// The changes from the entry whose time stamp is startTimecode to the one answering now (or at endTimecode); the
// whole feed when no entry has that stamp, as the service does for a time code it does not know.
Answer ReplayServer::answerDiffPatch(const RouteState &state, const QueryItems &query)
{
    const Route &route = state.route;
    const QString start = queryValue(query, u"startTimecode"_s);
    const std::size_t now = timelineEntry(route, query, u"endTimecode"_s);
    std::optional<std::size_t> from;
    for (std::size_t i = 0; i <= entryAt(route.timeline, m_uptime()); ++i) {
        if (timelineTimecode(route.timeline.at(i).at) == start) from = i;
    }

    Answer answer;
    answer.status = route.status;
    answer.delayMs = route.delayMs;
    answer.fault = route.fault;
    answer.hugeBytes = route.hugeBytes;
    answer.contentType = jsonContentType;
    if (route.fault == Fault::Huge) return answer;
    const QByteArray current = timelineBody(route, now);
    if (from && *from >= now)
        answer.body = "[]";
    else if (from)
        answer.body = diffPatchAnswer(timelineBody(route, *from), current);
    if (answer.body.isEmpty()) answer.body = current;
    applyFault(answer, route.fault);
    return answer;
}

void ReplayServer::applyFault(Answer &answer, Fault fault)
{
    switch (fault) {
    case Fault::Html500:
        answer.status = 500;
        answer.contentType = "text/html;charset=UTF-8";
        answer.body = html500Page;
        break;
    case Fault::MalformedJson:
        answer.body.truncate(answer.body.size() / 2);
        break;
    default:
        break;
    }
}
