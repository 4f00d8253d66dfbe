#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What the replay server does to a live game's feed: the time stamps of its snapshots, the diffPatch answers
// between two of them, and gzip for clients that ask for it.

// The stats service's time code of an instant: yyyyMMdd_HHmmss in UTC.
QString serviceTimecode(const QDateTime &instant);

// The feed with metaData.timeStamp set to `timecode`, written compactly; anything but a JSON object stays as it is.
QByteArray stampedFeed(const QByteArray &feed, const QString &timecode);

// The diffPatch answer that brings the feed `from` to `to`: [{"diff": [RFC 6902 operations]}], or [] when nothing
// changed. Empty when either is not JSON.
QByteArray diffPatchAnswer(const QByteArray &from, const QByteArray &to);

// The bytes in gzip format (RFC 1952).
QByteArray gzipCompressed(const QByteArray &data);
