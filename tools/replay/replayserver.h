#pragma once

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QTcpServer;
struct HttpRequest;
struct Answer;

// How a route misbehaves on purpose, so clients can be tested against a failing service.
enum class Fault {
    None,
    Html500, // status 500 with an HTML error page instead of JSON
    Truncate, // full Content-Length announced, half the body sent, then the connection closes
    Stall, // the request is read and never answered
    Reset, // the connection is reset without any answer
    Huge, // an endless-looking body of hugeBytes bytes, streamed
    MalformedJson, // the first half of the body with a matching Content-Length
};

// A recording that answers from a second after the server started until the next entry's second.
struct TimelineEntry {
    qint64 at = 0;
    QString file;
};

// One recorded answer (or sequence of answers) for GET requests on a path.
struct Route {
    QString path;
    // Each must be in the request's query with exactly this value; empty matches any query.
    QMap<QString, QString> params;
    // Answered in turn, one per matching request; the last one repeats.
    QStringList files;
    // Used when files is empty.
    QByteArray body;
    int status = 200;
    // Empty: chosen from the file's extension (inline bodies are JSON).
    QByteArray contentType;
    int delayMs = 0;
    Fault fault = Fault::None;
    qint64 hugeBytes = qint64(64) * 1024 * 1024;
    // When valid, every date in the body moves by whole days so that this recorded day becomes the game day now.
    QDate rebaseDay {};
    // Used instead of files when not empty: the latest entry whose second has come answers. Ascending,
    // the first at second 0. On a live feed's path (ending in /feed/live) each entry carries the moment it starts
    // answering as its metaData.timeStamp, and the path's diffPatch is answered from the timeline.
    std::vector<TimelineEntry> timeline {};
    // A live feed's timeline answers `timecode` (the whole feed) and `endTimecode` (diffPatch) with the state at that
    // time, unless this is set: then, like a service that ignores them, always with the newest one.
    bool ignoresTimecodes = false;
};

// The body with every "yyyy-MM-dd" text, alone or starting a date-time, moved by `days` calendar days.
QByteArray rebasedBody(const QByteArray &body, qint64 days);

// Local HTTP/1.1 server that answers the stats service's and logo hosts' requests from recordings.
class ReplayServer : public QObject {
    Q_OBJECT
public:
    explicit ReplayServer(QObject *parent = nullptr);
    ~ReplayServer() override;

    bool listen(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    quint16 port() const;
    QString baseUrl() const;
    QString errorString() const;

    // Appends the manifest's routes after the existing ones; on failure nothing changes.
    bool loadManifest(const QString &manifestPath, QString *error);
    void addRoute(Route route);

    // Request targets exactly as they appeared on the request lines, oldest first.
    QStringList requestLog() const { return m_log; }
    // The targets no route matched, oldest first.
    QStringList unansweredLog() const { return m_unanswered; }
    void clearLog()
    {
        m_log.clear();
        m_unanswered.clear();
    }

    // Whole seconds since the server started listening, which timelines are read against; replaceable so
    // that tests need not wait.
    using Uptime = std::function<qint64()>;
    void setUptime(Uptime uptime) { m_uptime = std::move(uptime); }
    // The time stamp of a live feed's timeline entry that starts answering `at` seconds after the start.
    QString timelineTimecode(qint64 at) const;

Q_SIGNALS:
    void requestReceived(QString target);
    void requestUnanswered(QString target);

private:
    struct RouteState {
        Route route;
        qsizetype answered = 0;
    };

    using QueryItems = QList<QPair<QString, QString>>;

    void acceptConnections();
    Answer answer(const HttpRequest &request);
    Answer answerUncompressed(const HttpRequest &request);
    RouteState *matchingRoute(const QString &path, const QueryItems &query);
    std::optional<Answer> answerScheduleRange(const QString &path, const QueryItems &query);
    Answer answerFromRoute(RouteState &state, const QueryItems &query = {});
    // The timeline entry that answers now, or at the time code the query asks for under `key`.
    std::size_t timelineEntry(const Route &route, const QueryItems &query, const QString &key) const;
    Answer answerDiffPatch(const RouteState &state, const QueryItems &query);
    // The body of a timeline entry as served: rebased and, on a live feed, stamped.
    QByteArray timelineBody(const Route &route, std::size_t entry) const;
    static void applyFault(Answer &answer, Fault fault);

    QTcpServer *m_server;
    std::vector<RouteState> m_routes;
    QStringList m_log;
    QStringList m_unanswered;
    QElapsedTimer m_started;
    QDateTime m_startedAt;
    Uptime m_uptime;
};
