#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <chrono>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <optional>

// One game's live feed kept as a document and brought forward by the service's diffPatch answers. The document keeps
// the service's member order, and its objects (a few dozen members at most) are searched linearly: three times faster
// to read than a tree of members, and 40% smaller.
class LiveFeedDocument {
public:
    // What an answer did to the document.
    enum class Outcome {
        Replaced, // a whole feed of the game became the document
        Patched, // every operation applied
        Unchanged, // no operations
        Rejected, // not usable: the document is empty now, since it may have been half patched
    };

    static constexpr std::chrono::seconds shortestWait { 5 };
    static constexpr std::chrono::seconds longestWait { 60 };
    // Bounds on what answers may build, far beyond any real feed (about 40,000 values, 15 levels deep, objects of at
    // most 62 members): operations that copy or nest without limit would otherwise exhaust memory or the stack, and
    // an object of a million members would take hours to build.
    static constexpr qint64 maximumNodes = 500'000;
    static constexpr int maximumDepth = 64;
    static constexpr qint64 maximumMembers = 1'000;

    // The service's time code of an instant: yyyyMMdd_HHmmss in UTC, as metaData.timeStamp has it.
    static QString timecode(const QDateTime &instant);
    // The time stamp the feed will have once `answer` (a whole feed or a diffPatch answer) is taken, without
    // taking it; empty when the answer does not change it or does not read.
    static QString answerTimeStamp(QByteArrayView answer);

    LiveFeedDocument();
    ~LiveFeedDocument();
    LiveFeedDocument(LiveFeedDocument &&) noexcept;
    LiveFeedDocument &operator=(LiveFeedDocument &&) noexcept;

    bool isEmpty() const { return !m_json; }
    // The document; only while not empty.
    const nlohmann::ordered_json &json() const { return *m_json; }
    // metaData.timeStamp ("yyyyMMdd_HHmmss", UTC), where the next diffPatch starts; empty when the feed has none.
    const QString &timeStamp() const { return m_timeStamp; }
    // metaData.wait, the pause the service asks for between polls, within 5 to 60 s.
    std::optional<std::chrono::seconds> wait() const { return m_wait; }

    // Takes a whole feed. Anything but a feed object (with gameData and liveData objects) is rejected.
    Outcome replace(QByteArrayView feed, QString *problem = nullptr);
    // Takes a diffPatch answer: a JSON array of {"diff": [RFC 6902 operations]} entries, applied in order, or a
    // whole feed. Rejected when an operation fails, when the result is no longer a feed of the same game, or when its
    // time stamp goes back: a patch made for another base.
    Outcome apply(QByteArrayView answer, QString *problem = nullptr);
    void clear();

private:
    Outcome reject(const QString &reason, QString *problem);
    // Takes a parsed whole feed of `nodes` values.
    Outcome take(nlohmann::ordered_json feed, qint64 nodes, QString *problem);
    // Applies one operation, or says why it may not be applied; throws nlohmann's exceptions when it does not apply.
    QString applyOperation(nlohmann::ordered_json operation);
    void readMetaData();

    std::unique_ptr<nlohmann::ordered_json> m_json;
    qint64 m_nodes = 0;
    QString m_timeStamp;
    std::optional<std::chrono::seconds> m_wait;
};
