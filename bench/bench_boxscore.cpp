#include "boxscore/boxscore.h"
#include "boxscore/boxscorefetch.h"
#include "ratioreporter.h"
#include "stats/livefeeddocument.h"

#include <QFile>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <simdjson.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

// The recorded final feed, compact as the service sends it, decoded and built into a BoxScore against a bare simdjson
// parse of the same bytes; the same built from the kept feed document, as each poll now does; the decoding ratios
// again, taken in alternating rounds (the figures to go by on a shared machine); then the feedtool's peak memory on
// the recorded file.

extern char **environ;

namespace {

const char recording[] = BASELARK_TEST_DATA "/feed-live-final-748534.json";

// Compacted with the members in their recorded order.
const QByteArray &feedBytes()
{
    static const QByteArray bytes = [] {
        QFile file(QString::fromUtf8(recording));
        const QByteArray pretty = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        return QByteArray::fromStdString(nlohmann::ordered_json::parse(pretty.begin(), pretty.end()).dump());
    }();
    return bytes;
}

void BareParseFeed(benchmark::State &state)
{
    const QByteArray &bytes = feedBytes();
    const simdjson::padded_string padded(bytes.constData(), static_cast<size_t>(bytes.size()));
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element root;
        if (parser.parse(padded).get(root)) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BuildBoxScore(benchmark::State &state)
{
    const QByteArray &bytes = feedBytes();
    for (auto _ : state) {
        auto box = buildBoxScore(decode<GameLiveFeedResponse>(bytes));
        benchmark::DoNotOptimize(box);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BuildBoxScoreOnDemand(benchmark::State &state)
{
    const QByteArray &bytes = feedBytes();
    for (auto _ : state) {
        auto box = buildBoxScore(decodeOnDemand<GameLiveFeedResponse>(bytes));
        benchmark::DoNotOptimize(box);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// A poll's box score now: read from the kept feed document.
void BuildBoxScoreFromKeptFeed(benchmark::State &state)
{
    const QByteArray &bytes = feedBytes();
    const nlohmann::ordered_json feed = nlohmann::ordered_json::parse(bytes.begin(), bytes.end());
    for (auto _ : state) {
        auto result = readBoxScoreFetchResult(feed);
        benchmark::DoNotOptimize(result);
    }
}

// A game's first poll as the application makes it: the whole feed taken as the kept document, then read.
void BuildBoxScoreAsFirstPoll(benchmark::State &state)
{
    const QByteArray &bytes = feedBytes();
    for (auto _ : state) {
        LiveFeedDocument document;
        document.replace(bytes);
        auto result = readBoxScoreFetchResult(document.json());
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// The kept document alone, without reading it.
void KeepFeedDocument(benchmark::State &state)
{
    const QByteArray &bytes = feedBytes();
    for (auto _ : state) {
        LiveFeedDocument document;
        document.replace(bytes);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// The builder alone, from an already decoded feed.
void BuildFromDecodedFeed(benchmark::State &state)
{
    const auto feed = decode<GameLiveFeedResponse>(feedBytes());
    for (auto _ : state) {
        auto box = buildBoxScore(feed);
        benchmark::DoNotOptimize(box);
    }
}

// Peak resident memory of one feedtool run in MB, or a negative value when it did not run.
// wait4 reports the child alone, but exec carries over the spawning process's own peak,
// which is why this runs before the benchmarks load anything.
double feedtoolPeakMegabytes(const char *command)
{
    char *const argv[]
        = { const_cast<char *>(FEEDTOOL), const_cast<char *>(command), const_cast<char *>(recording), nullptr };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, FEEDTOOL, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return -1;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

double ownPeakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

} // namespace

BENCHMARK(BareParseFeed)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BuildBoxScore)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BuildBoxScoreOnDemand)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BuildBoxScoreFromKeptFeed)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BuildBoxScoreAsFirstPoll)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(KeepFeedDocument)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BuildFromDecodedFeed)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    const double floor = ownPeakMegabytes();
    const double boxscore = feedtoolPeakMegabytes("boxscore");
    const double detail = feedtoolPeakMegabytes("detail");

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({ { "BuildBoxScore", "BareParseFeed" }, { "BuildBoxScoreOnDemand", "BareParseFeed" },
        { "BuildBoxScoreFromKeptFeed", "BareParseFeed" }, { "BuildBoxScoreAsFirstPoll", "BareParseFeed" },
        { "KeepFeedDocument", "BareParseFeed" }, { "BuildFromDecodedFeed", "BareParseFeed" } });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const QByteArray &bytes = feedBytes();
    const simdjson::padded_string padded(bytes.constData(), static_cast<size_t>(bytes.size()));
    simdjson::dom::parser parser;
    const auto bare = [&] {
        simdjson::dom::element root;
        if (parser.parse(padded).get(root)) std::abort();
        benchmark::DoNotOptimize(root);
    };
    printPairedRatio(
        "BuildBoxScoreOnDemand", "BareParseFeed",
        [&] {
            auto box = buildBoxScore(decodeOnDemand<GameLiveFeedResponse>(bytes));
            benchmark::DoNotOptimize(box);
        },
        bare);
    printPairedRatio(
        "BuildBoxScore", "BareParseFeed",
        [&] {
            auto box = buildBoxScore(decode<GameLiveFeedResponse>(bytes));
            benchmark::DoNotOptimize(box);
        },
        bare);
    std::printf("peak RSS baselark-feedtool boxscore = %.1f MB (detail on the same file %.1f MB; "
                "spawning process at %.1f MB)\n",
        boxscore, detail, floor);
    return 0;
}
