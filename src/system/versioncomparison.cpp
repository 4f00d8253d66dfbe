#include "system/versioncomparison.h"

#include <QList>

namespace {

struct Segment {
    bool isNumber;
    QStringView text; // digits without leading zeros for a number, letters otherwise
};

QList<Segment> segments(QStringView version)
{
    QList<Segment> result;
    qsizetype i = 0;
    while (i < version.size()) {
        const QChar c = version[i];
        if (c.isDigit()) {
            qsizetype end = i;
            while (end < version.size() && version[end].isDigit())
                ++end;
            qsizetype start = i;
            while (start + 1 < end && version[start] == u'0')
                ++start;
            result.append({ true, version.sliced(start, end - start) });
            i = end;
        } else if (c.isLetter()) {
            qsizetype end = i;
            while (end < version.size() && version[end].isLetter())
                ++end;
            result.append({ false, version.sliced(i, end - i) });
            i = end;
        } else {
            ++i; // dots, dashes, blanks and the like only separate segments
        }
    }
    return result;
}

bool isZero(const Segment &segment)
{
    return segment.isNumber && segment.text == u"0";
}

// Digits compared by length first, so that numbers of any size compare without overflow.
std::strong_ordering compareNumbers(QStringView a, QStringView b)
{
    if (a.size() != b.size()) return a.size() <=> b.size();
    return a.compare(b) <=> 0;
}

// How a version that goes on after the common prefix compares with one that ended there.
std::strong_ordering compareTail(const QList<Segment> &longer, qsizetype from)
{
    for (qsizetype i = from; i < longer.size(); ++i) {
        if (isZero(longer[i])) continue;
        return longer[i].isNumber ? std::strong_ordering::greater : std::strong_ordering::less;
    }
    return std::strong_ordering::equal;
}

} // namespace

std::strong_ordering compareVersions(QStringView a, QStringView b)
{
    const QList<Segment> left = segments(a);
    const QList<Segment> right = segments(b);
    const qsizetype common = std::min(left.size(), right.size());
    for (qsizetype i = 0; i < common; ++i) {
        const Segment &l = left[i];
        const Segment &r = right[i];
        if (l.isNumber != r.isNumber) return l.isNumber ? std::strong_ordering::greater : std::strong_ordering::less;
        const auto order
            = l.isNumber ? compareNumbers(l.text, r.text) : l.text.compare(r.text, Qt::CaseInsensitive) <=> 0;
        if (order != 0) return order;
    }
    if (left.size() > common) return compareTail(left, common);
    if (right.size() > common) return 0 <=> compareTail(right, common);
    return std::strong_ordering::equal;
}
