#include "system/appcast.h"
#include "system/versioncomparison.h"
#include "testdata.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray feed(
    const QByteArray &items, const QByteArray &sparkle = "http://www.andymatuschak.org/xml-namespaces/sparkle")
{
    return R"(<?xml version="1.0" encoding="utf-8"?><rss version="2.0" xmlns:sparkle=")" + sparkle
        + R"("><channel><title>Baselark</title>)" + items + "</channel></rss>";
}

QByteArray item(const QByteArray &shortVersion, const QByteArray &build)
{
    return "<item><title>Version " + shortVersion + "</title><sparkle:version>" + build
        + "</sparkle:version><sparkle:shortVersionString>" + shortVersion
        + "</sparkle:shortVersionString><enclosure url=\"https://example.org/" + shortVersion
        + ".deb\" length=\"10\" type=\"application/octet-stream\"/></item>";
}

} // namespace

class TestAppcast : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void compareVersions_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");
        QTest::newRow("numbers, not text") << u"1.10"_s << u"1.9"_s << 1;
        QTest::newRow("trailing zero") << u"1.2"_s << u"1.2.0"_s << 0;
        QTest::newRow("beta before release") << u"1.2b1"_s << u"1.2"_s << -1;
        QTest::newRow("beta of 1.2.0 before 1.2") << u"1.2.0b1"_s << u"1.2"_s << -1;
        QTest::newRow("patch after release") << u"1.2.1"_s << u"1.2"_s << 1;
        QTest::newRow("patch after beta") << u"1.2.1"_s << u"1.2b1"_s << 1;
        QTest::newRow("beta 2 after beta 1") << u"1.2b2"_s << u"1.2b1"_s << 1;
        QTest::newRow("rc after beta") << u"1.2rc1"_s << u"1.2beta3"_s << 1;
        QTest::newRow("letters ignore case") << u"1.2RC1"_s << u"1.2rc1"_s << 0;
        QTest::newRow("leading zeros") << u"1.02"_s << u"1.2"_s << 0;
        QTest::newRow("dash separates") << u"1.2-beta"_s << u"1.2beta"_s << 0;
        QTest::newRow("numbers beyond 64 bits")
            << u"1.99999999999999999999999"_s << u"1.99999999999999999999998"_s << 1;
    }

    void compareVersions()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        const auto sign = [](std::strong_ordering o) { return o < 0 ? -1 : o > 0 ? 1 : 0; };
        QCOMPARE(sign(::compareVersions(a, b)), expected);
        QCOMPARE(sign(::compareVersions(b, a)), -expected);
    }

    void parsesTheDemoFeed()
    {
        const auto items = parseAppcast(readFile(QStringLiteral(BASELARK_SOURCE_DIR "/data/demo/appcast.xml")));
        QCOMPARE(items.size(), 2u);
        const AppcastItem &second = items[1];
        QCOMPARE(second.title, u"Version 0.2.0"_s);
        QCOMPARE(second.version, u"2"_s);
        QCOMPARE(second.shortVersionString, u"0.2.0"_s);
        QCOMPARE(second.minimumSystemVersion, u"12"_s);
        QCOMPARE(second.link, QUrl(u"https://baselark.github.io/releases/0.2.0/"_s));
        QCOMPARE(second.enclosureURL, QUrl(u"https://baselark.github.io/releases/0.2.0/baselark_0.2.0_amd64.deb"_s));
        QCOMPARE(second.enclosureLength, 845210);
        QVERIFY(second.itemDescription && second.itemDescription->contains(u"<li>The wild-card race"_s));
        QCOMPARE(newestItem(items)->version, u"2"_s);
        QVERIFY(isNewerThan(second, u"0.1.0"_s, u"1"_s));
        QVERIFY(!isNewerThan(items[0], u"0.1.0"_s, u"1"_s));
    }

    void readsVersionsFromTheEnclosure()
    {
        const auto items = parseAppcast(feed(R"(<item><title>Old style</title>)"
                                             R"(<sparkle:releaseNotesLink> https://example.org/notes.html )"
                                             "</sparkle:releaseNotesLink><enclosure url=\"https://example.org/a.deb\" "
                                             R"(sparkle:version="7" sparkle:shortVersionString="1.3"/></item>)"));
        QCOMPARE(items.size(), 1u);
        QCOMPARE(items[0].version, u"7"_s);
        QCOMPARE(items[0].displayVersionString(), u"1.3"_s);
        QCOMPARE(items[0].releaseNotesLink, QUrl(u"https://example.org/notes.html"_s));
    }

    void newest_data()
    {
        QTest::addColumn<QByteArray>("items");
        QTest::addColumn<QString>("newest");
        QTest::addColumn<bool>("newerThanRunning");
        QTest::newRow("out of order") << item("1.10", "20") + item("1.9", "19") + item("1.2", "3") << u"1.10"_s << true;
        QTest::newRow("only older ones") << item("0.0.9", "1") + item("0.1.0b2", "1") << u"0.1.0b2"_s << false;
        QTest::newRow("the running version") << item("0.1.0", "1") << u"0.1.0"_s << false;
        QTest::newRow("same version, later build") << item("0.1", "1") + item("0.1.0", "4") << u"0.1.0"_s << true;
        QTest::newRow("another system's release skipped") << item("0.1.0", "1")
                + R"(<item><sparkle:version>9</sparkle:version><sparkle:shortVersionString>9.0</sparkle:shortVersionString>)"
                  "<enclosure url=\"https://example.org/x.dmg\" sparkle:os=\"macos\"/></item>"
                                                          << u"0.1.0"_s << false;
    }

    void newest()
    {
        QFETCH(QByteArray, items);
        QFETCH(QString, newest);
        QFETCH(bool, newerThanRunning);
        const auto item = newestItem(parseAppcast(feed(items)));
        QVERIFY(item);
        QCOMPARE(item->displayVersionString(), newest);
        QCOMPARE(isNewerThan(*item, u"0.1.0"_s, u"1"_s), newerThanRunning);
    }

    void keepsOnlyWebLinks_data()
    {
        QTest::addColumn<QByteArray>("link");
        QTest::addColumn<QByteArray>("enclosure");
        QTest::newRow("local file, script") << QByteArray("file:///etc/passwd") << QByteArray("javascript:alert(1)");
        QTest::newRow("web links without a host") << QByteArray("https:///releases/") << QByteArray("http:a.deb");
    }

    void keepsOnlyWebLinks()
    {
        QFETCH(QByteArray, link);
        QFETCH(QByteArray, enclosure);
        const auto items = parseAppcast(feed("<item><sparkle:version>2</sparkle:version><link>" + link
            + "</link><enclosure url=\"" + enclosure + "\"/></item>"));
        QCOMPARE(items.size(), 1u);
        QVERIFY(!items[0].link);
        QVERIFY(!items[0].downloadURL());
    }

    void emptyChannelHasNoReleases() { QVERIFY(parseAppcast(feed("")).empty()); }

    void rejectsHostileFeeds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("entity expansion")
            << QByteArray(R"(<?xml version="1.0"?><!DOCTYPE rss [)"
                          R"(<!ENTITY a "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa">)"
                          R"(<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">)"
                          R"(<!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">]>)"
                          R"(<rss version="2.0"><channel><title>&c;</title></channel></rss>)");
        QTest::newRow("external entity") << QByteArray(R"(<?xml version="1.0"?><!DOCTYPE rss [)"
                                                       "<!ENTITY notes SYSTEM \"file:///etc/passwd\">]>"
                                                       R"(<rss version="2.0"><channel><item><description>&notes;)"
                                                       R"(</description></item></channel></rss>)");
        QTest::newRow("parameter entity") << QByteArray(R"(<?xml version="1.0"?><!DOCTYPE rss [)"
                                                        "<!ENTITY % remote SYSTEM \"https://example.org/evil.dtd\">"
                                                        R"( %remote;]><rss version="2.0"><channel/></rss>)");
        QTest::newRow("undeclared entity") << feed("<item><title>&notes;</title></item>");
        QTest::newRow("huge") << feed(QByteArray("<item><title>") + QByteArray(maximumAppcastBytes, 'x')
            + "</title><sparkle:version>2</sparkle:version></item>");
        QTest::newRow("truncated") << feed(item("1.0", "2")).chopped(40);
        QTest::newRow("wrong namespace") << feed(item("1.0", "2"), "http://example.org/not-sparkle");
        QTest::newRow("not RSS") << QByteArray("<feed xmlns=\"http://www.w3.org/2005/Atom\"><entry/></feed>");
        QTest::newRow("HTML error page") << QByteArray("<html><body><h1>503 Service Unavailable</h1></body></html>");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no channel") << QByteArray(R"(<rss version="2.0"></rss>)");
    }

    void rejectsHostileFeeds()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY_THROWS_EXCEPTION(AppcastError, parseAppcast(bytes));
    }
};

QTEST_GUILESS_MAIN(TestAppcast)
#include "tst_appcast.moc"
