#include "system/dialogs/releasenotes.h"
#include "system/dialogs/updatedialog.h"
#include "system/dialogs/widgetupdaterdialogs.h"
#include "system/updatenotification.h"
#include "testnotificationserver.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace {

AppcastItem release(std::optional<QString> notes)
{
    AppcastItem item;
    item.title = u"Version 0.2.0"_s;
    item.version = u"2"_s;
    item.shortVersionString = u"0.2.0"_s;
    item.itemDescription = std::move(notes);
    item.link = QUrl(u"https://baselark.github.io/releases/0.2.0/"_s);
    item.enclosureURL = QUrl(u"https://baselark.github.io/releases/0.2.0/baselark_0.2.0_amd64.deb"_s);
    return item;
}

// The links of the notes as they will be shown, and anything that should not be there: an image, or plain text
// drawn like a link.
QStringList anchors(const QTextDocument &document)
{
    QStringList found;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat())
                found.append(u"image"_s);
            else if (format.isAnchor())
                found.append(format.anchorHref());
            else if (format.fontUnderline() || format.hasProperty(QTextFormat::ForegroundBrush))
                found.append(u"look-alike "_s + it.fragment().text());
        }
    }
    return found;
}

} // namespace

class TestUpdateDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void releaseNotesAreSanitized_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QString>("text");
        QTest::newRow("images, local files and scripts")
            << uR"x(<h3>What's new</h3><p>Wild cards <img src="file:///etc/hostname"> and )x"
               uR"x(<a href="https://baselark.github.io/x">more</a>, <a href="file:///etc/passwd">local</a>, )x"
               uR"x(<a href="javascript:void(0)">script</a>, <a href="mailto:team@example.org">mail</a>.</p>)x"
               uR"x(<table><tr><td><img src="https://tracker.example.org/pixel.png"></td></tr></table>)x"_s
            << QStringList({ u"https://baselark.github.io/x"_s, u"mailto:team@example.org"_s })
            << u"What's new\nWild cards  and more, local, script, mail.\n\n"_s;
        // Neutralising the first merges it with the second; the walk must not step from the freed fragment.
        QTest::newRow("adjacent neutralised links")
            << uR"x(<p><a href="#a">x</a><a href="#b">y</a><a href="file:///c">z</a><img src="a.png"></p>)x"_s
            << QStringList() << u"xyz"_s;
        QTest::newRow("mail with a query")
            << uR"x(<a href="mailto:team@example.org?attach=/etc/passwd&amp;subject=x#y">mail</a>)x"_s
            << QStringList { u"mailto:team@example.org"_s } << u"mail"_s;
        QTest::newRow("plain text keeps its lines")
            << u"Fixes:\n- one < two\n- three"_s << QStringList() << u"Fixes:\n- one < two\n- three"_s;
    }

    void releaseNotesAreSanitized()
    {
        QFETCH(QString, html);
        QTextDocument document;
        document.setHtml(releaseNotesHtml(release(html)));
        QTEST(anchors(document), "links");
        QTEST(document.toPlainText(), "text");
    }

    void buttons()
    {
        QList<QUrl> opened;
        UpdateDialog dialog(release(u"<p><a href=\"file:///etc/passwd\">x</a></p>"_s), u"0.1.0"_s,
            [&](const QUrl &url) { opened.append(url); });
        QCOMPARE(dialog.messageLabel()->text(),
            u"Baselark 0.2.0 is now available\u2014you have 0.1.0. Would you like to download it now?"_s);
        // Links in the notes open outside, and only web and mail links.
        Q_EMIT dialog.releaseNotes()->anchorClicked(QUrl(u"file:///etc/passwd"_s));
        Q_EMIT dialog.releaseNotes()->anchorClicked(QUrl(u"mailto:a@example.org?attach=/etc/passwd"_s));
        Q_EMIT dialog.releaseNotes()->anchorClicked(QUrl(u"https://baselark.github.io/"_s));
        QCOMPARE(opened, QList<QUrl> { QUrl(u"https://baselark.github.io/"_s) });
        QCOMPARE(dialog.releaseNotes()->source(), QUrl());

        dialog.show();
        dialog.downloadButton()->click();
        // The release's page, where the user picks the package that fits the system.
        QCOMPARE(opened.last(), QUrl(u"https://baselark.github.io/releases/0.2.0/"_s));
        QVERIFY(!dialog.isVisible());
    }

    void longVersionKeepsTheDialogOnScreen()
    {
        AppcastItem item = release(u"Notes "_s + QString(5000, u'x'));
        item.shortVersionString = QString(10000, u'9');
        UpdateDialog dialog(item, u"0.1.0"_s, [](const QUrl &) {});
        dialog.show();
        QVERIFY(dialog.width() <= dialog.screen()->availableGeometry().width());
        QVERIFY(
            dialog.downloadButton()->mapTo(&dialog, QPoint(dialog.downloadButton()->width(), 0)).x() <= dialog.width());
        QVERIFY(dialog.messageLabel()->text().startsWith(u"Baselark 99999999999999999999\u2026999"_s));
    }

    void alertsDoNotBlock()
    {
        WidgetUpdaterDialogs dialogs([](const QUrl &) {});
        const QString path = u"/home/ada/Downloads/"_s + QString(60, u'x') + u"/usr/lib/baselark/bin/baselark"_s;
        dialogs.showInstallLocationAlert(path);
        QVERIFY(dialogs.alert() && dialogs.alert()->isVisible());
        QCOMPARE(dialogs.alert()->windowModality(), Qt::NonModal);
        // The box fits its text: the path wraps within it.
        auto *label = dialogs.alert()->findChild<QLabel *>(u"qt_msgbox_informativelabel"_s);
        const QRect text = label->fontMetrics().boundingRect(label->contentsRect(), Qt::TextWordWrap, label->text());
        QVERIFY(label->contentsRect().contains(text));
    }

    void automaticNewsIsANotificationWhoseActionOpensTheWindow()
    {
        TestNotificationServer server;
        QVERIFY(server.start());
        UpdateNotification notification(QDBusConnection::sessionBus(), u"io.github.baselark.Baselark"_s);
        WidgetUpdaterDialogs dialogs([](const QUrl &) {}, &notification);
        int opened = 0;
        dialogs.announceUpdate(release(u"Notes"_s), [&] { ++opened; });
        QTRY_COMPARE(server.received.size(), size_t(1));
        const TestNotificationServer::Notification &shown = server.received.front();
        QCOMPARE(shown.summary, u"Baselark 0.2.0 is available"_s);
        QVERIFY(shown.actions.contains(u"default"_s) && shown.actions.contains(u"view-update"_s));
        QVERIFY(QApplication::topLevelWidgets().isEmpty());

        // Another program's notification is none of ours.
        server.invokeAction(2, u"default"_s);
        server.invokeAction(1, u"view-update"_s);
        QTRY_COMPARE(opened, 1);

        // The next news replaces the notification instead of piling up.
        dialogs.announceUpdate(release(u"Notes"_s), [&] { ++opened; });
        QTRY_COMPARE(server.received.size(), size_t(2));
        QCOMPARE(server.received.back().replacesId, 1u);
    }
};

QTEST_MAIN(TestUpdateDialog)
#include "tst_updatedialog.moc"
