#include "boxscore/boxscorefetch.h"
#include "livegame.h"
#include "ratioreporter.h"
#include "replay/livefeedtimeline.h"
#include "stats/gamefeed.h"
#include "stats/livefeeddocument.h"

#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>
#include <cstdio>
#include <malloc.h>
#include <map>
#include <optional>
#include <string_view>
#include <unistd.h>

// Following a live game by patches against fetching the whole feed at every poll: the CPU of one update, the bytes
// on the wire per hour and the resident memory over a replayed game.

namespace {

QByteArray readRecording(const char *name)
{
    QFile file(QStringLiteral(BASELARK_TEST_DATA "/") + QLatin1StringView(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Recorded {
    QByteArray feed;
    QByteArray patch;
    // The whole feed of the state the patch brings, as the service would send it.
    QByteArray after;
};

Recorded recorded(const char *feedName, const char *patchName)
{
    Recorded pair { readRecording(feedName), readRecording(patchName), {} };
    LiveFeedDocument document;
    document.replace(pair.feed);
    document.apply(pair.patch);
    pair.after = QByteArray::fromStdString(document.json().dump());
    return pair;
}

const Recorded &pairA()
{
    static const Recorded pair = recorded("feed-live-inprogress-746139-a.json", "diffpatch-746139-a.json");
    return pair;
}

const Recorded &pairB()
{
    static const Recorded pair = recorded("feed-live-inprogress-746139-b.json", "diffpatch-746139-b.json");
    return pair;
}

// Today's update: the box score's poll and the card's load each decode the whole answer.
void wholeFeed(benchmark::State &state, const Recorded &pair)
{
    for (auto _ : state) {
        auto box = makeBoxScoreFetchResult(decode<GameLiveFeedResponse>(pair.after));
        auto detail = GameDetail::fromFeed(decode<GameLiveFeedResponse>(pair.after));
        benchmark::DoNotOptimize(box);
        benchmark::DoNotOptimize(detail);
    }
}

// An update by patch: the answer applied to the kept feed, then the box score and the card read from it. `dump`
// measures the design set aside: writing the patched feed out for simdjson to decode.
void byPatch(benchmark::State &state, const Recorded &pair, bool dump)
{
    std::optional<LiveFeedDocument> document;
    for (auto _ : state) {
        state.PauseTiming();
        document.reset();
        document.emplace();
        document->replace(pair.feed);
        state.ResumeTiming();
        document->apply(pair.patch);
        if (dump) {
            const std::string bytes = document->json().dump();
            auto box = makeBoxScoreFetchResult(decode<GameLiveFeedResponse>(bytes));
            auto detail = GameDetail::fromFeed(decode<GameLiveFeedResponse>(bytes));
            benchmark::DoNotOptimize(box);
            benchmark::DoNotOptimize(detail);
        } else {
            auto box = readBoxScoreFetchResult(document->json());
            auto detail = readGameDetail(document->json());
            benchmark::DoNotOptimize(box);
            benchmark::DoNotOptimize(detail);
        }
    }
}

void WholeFeedBall(benchmark::State &state)
{
    wholeFeed(state, pairA());
}

void PatchBall(benchmark::State &state)
{
    byPatch(state, pairA(), false);
}

void WholeFeedPitchingChange(benchmark::State &state)
{
    wholeFeed(state, pairB());
}

void PatchPitchingChange(benchmark::State &state)
{
    byPatch(state, pairB(), false);
}

void PatchDumpDecodePitchingChange(benchmark::State &state)
{
    byPatch(state, pairB(), true);
}

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? double(fields[1].toLongLong()) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : -1;
}

// One exchange's heads, as Qt writes the request and the replay server the answer.
qint64 headBytes(const QByteArray &target, qint64 bodyBytes)
{
    const QByteArray request = "GET " + target
        + " HTTP/1.1\r\nHost: statsapi.mlb.com\r\nConnection: Keep-Alive\r\n"
          "Accept-Encoding: zstd, br, gzip, deflate\r\nAccept-Language: en,*\r\nUser-Agent: Mozilla/5.0\r\n\r\n";
    const QByteArray answer
        = "HTTP/1.1 200 OK\r\nServer: baselark-replay\r\nContent-Type: application/json;charset=UTF-8\r\n"
          "Content-Length: "
        + QByteArray::number(bodyBytes) + "\r\nContent-Encoding: gzip\r\nConnection: keep-alive\r\n\r\n";
    return request.size() + answer.size();
}

// What the child processes are handed: each poll's answer, unzipped, with a mark on the poll where the patch fails and
// the whole feed is fetched again, then the final feed whole.
void writeAnswers(QFile &file, const std::vector<QByteArray> &answers, std::size_t refetch, const QByteArray &final)
{
    QDataStream out(&file);
    out << quint64(answers.size()) << quint64(refetch);
    for (const QByteArray &answer : answers)
        out << answer;
    out << final;
}

// In a process of its own, from the answers in `path`: either follows the game as the application does, printing the
// resident memory above the idle floor (with the answers loaded) now and then and, last, once the allocator has given
// back its free memory; or (`fresh`) takes the final feed whole into an empty document, what a process started at the
// end of the game holds. Prints the figure to compare last, alone on its line.
int memoryChild(const char *path, qint64 pollSeconds, bool fresh)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) return 1;
    QDataStream in(&file);
    quint64 count = 0;
    quint64 refetch = 0;
    in >> count >> refetch;
    std::vector<QByteArray> answers(count);
    for (QByteArray &answer : answers)
        in >> answer;
    QByteArray final;
    in >> final;
    malloc_trim(0);
    const double idle = residentMegabytes();
    LiveFeedDocument document;
    std::optional<BoxScoreFetchResult> shown;
    std::optional<GameDetail> card;
    if (fresh) {
        document.replace(final);
        shown = readBoxScoreFetchResult(document.json());
        card = readGameDetail(document.json());
        malloc_trim(0);
        std::printf("%.2f\n", residentMegabytes() - idle);
        return 0;
    }
    double peak = idle;
    double firstHour = 0;
    double lastHour = 0;
    int firstCount = 0;
    int lastCount = 0;
    const qint64 hourOfPolls = 3600 / pollSeconds;
    for (std::size_t poll = 0; poll < answers.size(); ++poll) {
        if (poll == refetch) document.apply("not a patch");
        const auto outcome
            = poll == 0 || poll == refetch ? document.replace(answers[poll]) : document.apply(answers[poll]);
        if (outcome == LiveFeedDocument::Outcome::Rejected) std::fprintf(stderr, "poll %zu: refused\n", poll);
        shown = readBoxScoreFetchResult(document.json());
        card = readGameDetail(document.json());
        const double now = residentMegabytes();
        peak = std::max(peak, now);
        if (qint64(poll) % hourOfPolls == 0 || poll == refetch || poll + 1 == answers.size())
            std::printf("  after %.1f h%s: %.1f MB above idle, the feed %lld KB\n", double(poll) / double(hourOfPolls),
                poll == refetch ? " (the whole feed again)" : "", now - idle,
                static_cast<long long>(document.json().dump().size() / 1024));
        if (qint64(poll) < hourOfPolls) {
            firstHour += now;
            ++firstCount;
        } else if (qint64(answers.size() - poll) <= hourOfPolls) {
            lastHour += now;
            ++lastCount;
        }
    }
    std::printf("resident memory following the game: idle %.1f MB; above it: peak %.1f MB, mean %.1f MB in the first "
                "hour, %.1f MB in the last\n",
        idle, peak - idle, firstHour / firstCount - idle, lastHour / std::max(lastCount, 1) - idle);
    malloc_trim(0);
    std::printf("%.2f\n", residentMegabytes() - idle);
    return 0;
}

// Runs this program as a memory child and passes on what it printed but its last line, the figure it returns.
double runMemoryChild(const char *self, const char *mode, const QString &path)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QString::fromLocal8Bit(self), { QString::fromLatin1(mode), path });
    if (!child.waitForFinished(-1) || child.exitCode() != 0) return -1;
    QByteArray output = child.readAllStandardOutput();
    while (output.endsWith('\n'))
        output.chop(1);
    QList<QByteArray> lines = output.split('\n');
    const double figure = lines.takeLast().toDouble();
    for (const QByteArray &line : lines)
        std::printf("%s\n", line.constData());
    return figure;
}

// The replayed game polled every `pollSeconds`: bytes on the wire per hour, whole feeds against patches; then the
// resident memory of following it by those patches, measured in a child process that never held anything else, set
// against a fresh process's worth of the final feed (the feed itself grows through a game). Memory is flat when
// following holds no more than that; half a megabyte is left for what the allocator keeps of earlier, smaller feeds.
void replayedGame(const char *self, qint64 pollSeconds)
{
    const LiveGame game(QStringLiteral(BASELARK_TEST_DATA "/feed-live-final-748534.json"));
    const QByteArray feedTarget = "/api/v1.1/game/748534/feed/live";
    std::vector<QByteArray> answers; // what the patch-following client receives, poll by poll, unzipped
    qint64 wholeBytes = 0;
    qint64 patchBytes = 0;
    std::optional<std::size_t> previous;
    QByteArray previousFeed;
    std::map<std::size_t, qint64> wholeSizes;
    // Memory is followed for three hours at least, the polls after the last out answered with no change; the wire
    // counts the game's own polls, since the application stops polling once the game is over.
    const qint64 polls = std::max<qint64>(game.durationSeconds(), 3 * 3600) / pollSeconds + 1;
    const std::size_t refetch = std::size_t(polls / 2);
    for (qint64 poll = 0; poll < polls; ++poll) {
        const std::size_t moment = game.momentAt(poll * pollSeconds);
        QByteArray feed = moment == previous ? previousFeed : QByteArray::fromStdString(game.feedAt(moment).dump());
        if (!wholeSizes.count(moment)) wholeSizes[moment] = gzipCompressed(feed).size();
        const bool inGame = poll * pollSeconds <= game.durationSeconds();
        if (inGame) wholeBytes += wholeSizes[moment] + headBytes(feedTarget, wholeSizes[moment]);
        QByteArray answer;
        if (!previous)
            answer = feed;
        else if (*previous == moment)
            answer = "[]";
        else
            answer = diffPatchAnswer(previousFeed, feed);
        const qint64 zipped = gzipCompressed(answer).size();
        if (inGame)
            patchBytes
                += zipped + headBytes(feedTarget + "/diffPatch?language=en&startTimecode=20231102_000000", zipped);
        answers.push_back(std::size_t(poll) == refetch ? feed : answer);
        previous = moment;
        previousFeed = std::move(feed);
    }
    const double hours = double(game.durationSeconds()) / 3600.0;
    std::printf("replayed game: %zu states over %.2f h, followed for %.2f h, a poll every %lld s (%lld polls)\n",
        game.moments().size(), hours, double((polls - 1) * pollSeconds) / 3600.0, static_cast<long long>(pollSeconds),
        static_cast<long long>(polls));
    std::printf("wire per hour: whole feeds %.1f MB, patches %.2f MB; ratio patches / whole feeds = %.3f\n",
        double(wholeBytes) / hours / 1e6, double(patchBytes) / hours / 1e6, double(patchBytes) / double(wholeBytes));

    QTemporaryFile file;
    if (!file.open()) return;
    writeAnswers(file, answers, refetch, previousFeed);
    file.close();
    std::fflush(stdout);
    const double followed = runMemoryChild(self, "--follow", file.fileName());
    const double fresh = runMemoryChild(self, "--fresh", file.fileName());
    std::printf("at the end %.1f MB above idle once the allocator returns its free memory; a fresh process with the "
                "final feed: %.1f MB; following holds %.1f MB more: %s\n",
        followed, fresh, followed - fresh,
        followed >= 0 && fresh >= 0 && followed <= fresh + 0.5 ? "flat, it grows with the feed alone"
                                                               : "growing beyond the feed");
}

} // namespace

BENCHMARK(WholeFeedBall)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(PatchBall)->Iterations(40)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(WholeFeedPitchingChange)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(PatchPitchingChange)->Iterations(40)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(PatchDumpDecodePitchingChange)->Iterations(40)->Repetitions(3)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    if (argc == 3 && (std::string_view(argv[1]) == "--follow" || std::string_view(argv[1]) == "--fresh"))
        return memoryChild(argv[2], 10, std::string_view(argv[1]) == "--fresh");
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({ { "PatchBall", "WholeFeedBall" }, { "PatchPitchingChange", "WholeFeedPitchingChange" },
        { "PatchDumpDecodePitchingChange", "WholeFeedPitchingChange" } });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    replayedGame("/proc/self/exe", 10);
    return 0;
}
