#include "patchcommand.h"

#include "boxscore/boxscorefetch.h"
#include "boxscorecommand.h"
#include "detailcommand.h"
#include "feedtool.h"
#include "stats/livefeeddocument.h"

#include <cstdio>

using namespace Qt::StringLiterals;

int runPatchCommand(const QStringList &arguments)
{
    QStringList files;
    QString kind = u"detail"_s;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == u"--kind"_s && i + 1 < arguments.size()) {
            kind = arguments.at(++i);
            if (kind != u"detail"_s && kind != u"boxscore"_s) return usageError(u"unknown kind: "_s + kind);
        } else if (arguments.at(i).startsWith(u'-')) {
            return usageError(u"unexpected argument: "_s + arguments.at(i));
        } else {
            files.append(arguments.at(i));
        }
    }
    if (files.size() < 2) return usageError(u"patch needs a FEED and at least one PATCH"_s);

    LiveFeedDocument document;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const auto bytes = readInput(files.at(i));
        if (!bytes) return 2;
        QString problem;
        const auto outcome = i == 0 ? document.replace(*bytes, &problem) : document.apply(*bytes, &problem);
        if (outcome == LiveFeedDocument::Outcome::Rejected) {
            // The application would fetch the whole feed instead.
            std::fprintf(stderr, "baselark-feedtool: %s: %s\n", qPrintable(files.at(i)), qPrintable(problem));
            return 1;
        }
    }
    try {
        writeOutput(kind == u"detail"_s ? detailJson(readGameDetail(document.json()))
                                        : boxScoreJson(readBoxScoreFetchResult(document.json()).boxScore));
    } catch (const ServiceError &error) {
        return decodingError(error);
    }
    return 0;
}
