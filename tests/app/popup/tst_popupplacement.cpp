#include "app/popupplacement.h"

#include <QTest>

using namespace Qt::StringLiterals;

using OptionalRect = std::optional<QRect>;
Q_DECLARE_METATYPE(OptionalRect)
Q_DECLARE_METATYPE(PlacementInput)
Q_DECLARE_METATYPE(DesktopSession)

namespace {

const QSize windowSize(320, 500);
const QRect screen1280(0, 0, 1280, 800);
// GNOME's top bar, Plasma's bottom panel.
const QRect belowTopBar(0, 32, 1280, 768);
const QRect aboveBottomPanel(0, 0, 1280, 756);

struct Where {
    SessionType type = SessionType::X11;
    Compositor compositor = Compositor::Other;
    bool nativeWayland = false;
    std::optional<QPoint> activatePoint;
    std::optional<QPoint> pointer;
    std::optional<QRect> item;
    QRect available = screen1280;
    QList<PlacementScreen> otherScreens;

    PlacementInput input() const
    {
        QList<PlacementScreen> screens { { screen1280, available } };
        screens.append(otherScreens);
        return { { type, compositor }, nativeWayland, activatePoint, pointer, item, screens };
    }
};

} // namespace

class TestPopupPlacement : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placeWindow_data()
    {
        QTest::addColumn<PlacementInput>("input");
        QTest::addColumn<OptionalRect>("expected");
        const auto x11 = SessionType::X11;
        const auto wayland = SessionType::Wayland;
        const auto row = [](const char *name, const Where &where, OptionalRect expected) {
            QTest::newRow(name) << where.input() << expected;
        };

        row("X11: centred under the click", { .activatePoint = QPoint(600, 10) }, QRect(440, 15, 320, 500));
        row("X11: a panel's work area keeps the window off the bar",
            { .activatePoint = QPoint(600, 10), .available = QRect(0, 28, 1280, 772) }, QRect(440, 28, 320, 500));
        row("X11: bottom panel, above the click", { .activatePoint = QPoint(1260, 790) }, QRect(960, 286, 320, 500));
        const PlacementScreen upperLeft { QRect(-1280, -1080, 1280, 1024), QRect(-1280, -1080, 1280, 1024) };
        row("X11: screen left of and above the primary",
            { .activatePoint = QPoint(-100, -1070), .otherScreens = { upperLeft } }, QRect(-320, -1065, 320, 500));
        row("X11: screen smaller than the window, pinned to its corner",
            { .activatePoint = QPoint(200, 100), .available = QRect(100, 50, 300, 400) }, QRect(100, 50, 320, 500));

        // Opened from the item's menu or by a command: the last click on the item, else the panel at the pointer.
        row("menu on GNOME, no click seen: hangs from the bar, not from the pointer on the menu",
            { .compositor = Compositor::Gnome, .pointer = QPoint(1000, 70), .available = belowTopBar },
            QRect(840, 32, 320, 500));
        row("a shortcut on Plasma, pointer high up: stands on the bottom panel",
            { .compositor = Compositor::Kde, .pointer = QPoint(1000, 300), .available = aboveBottomPanel },
            QRect(840, 256, 320, 500));
        row("menu after a click: at the item's last point",
            { .compositor = Compositor::Gnome,
                .activatePoint = QPoint(700, 15),
                .pointer = QPoint(1000, 70),
                .available = belowTopBar },
            QRect(540, 32, 320, 500));
        row("no panel known: just below the pointer", { .pointer = QPoint(600, 200) }, QRect(440, 204, 320, 500));
        row("nothing known, bars at both edges: the right end of the top one", { .available = QRect(0, 32, 1280, 724) },
            QRect(960, 32, 320, 500));
        row("nothing known: the right end of the bottom panel", { .available = aboveBottomPanel },
            QRect(960, 256, 320, 500));

        // The X11 tray tells the icon's rectangle: the window clears it even where no work area is published.
        row("tray without a window manager: under the icon, not over it",
            { .activatePoint = QPoint(612, 12), .pointer = QPoint(612, 12), .item = QRect(600, 0, 24, 24) },
            QRect(451, 28, 320, 500));
        row("tray at the bottom: above the icon", { .item = QRect(600, 776, 24, 24) }, QRect(451, 272, 320, 500));
        row("tray icon of unknown size: the click", { .activatePoint = QPoint(600, 10), .item = QRect() },
            QRect(440, 15, 320, 500));

        row("GNOME Wayland through Xwayland: under the click",
            { .type = wayland,
                .compositor = Compositor::Gnome,
                .activatePoint = QPoint(700, 16),
                .available = belowTopBar },
            QRect(540, 32, 320, 500));
        row("Plasma Wayland through Xwayland: above the click",
            { .type = wayland,
                .compositor = Compositor::Kde,
                .activatePoint = QPoint(700, 780),
                .available = aboveBottomPanel },
            QRect(540, 256, 320, 500));
        row("native Wayland: the compositor places it",
            { .type = wayland,
                .compositor = Compositor::Gnome,
                .nativeWayland = true,
                .activatePoint = QPoint(700, 16) },
            std::nullopt);
        row("sway through Xwayland: the compositor places it",
            { .type = wayland, .compositor = Compositor::Sway, .activatePoint = QPoint(19, 28) }, std::nullopt);
        row("Hyprland: the compositor places it", { .type = wayland, .compositor = Compositor::Hyprland },
            std::nullopt);
        row("Wayland host's icon-relative point: the pointer instead",
            { .type = wayland, .activatePoint = QPoint(19, 28), .pointer = QPoint(1200, 12) },
            QRect(960, 16, 320, 500));
        row("Wayland host's icon-relative point, no pointer: the panel's edge",
            { .type = wayland, .activatePoint = QPoint(19, 28), .available = QRect(0, 30, 1280, 770) },
            QRect(960, 30, 320, 500));
        row("point off every screen: the pointer",
            { .type = x11, .activatePoint = QPoint(5000, 10), .pointer = QPoint(600, 10) }, QRect(440, 14, 320, 500));
    }

    void placeWindow()
    {
        QFETCH(PlacementInput, input);
        QFETCH(OptionalRect, expected);
        QCOMPARE(::placeWindow(input, windowSize), expected);
    }

    void detect_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<DesktopSession>("expected");
        const auto wayland = SessionType::Wayland;
        const auto x11 = SessionType::X11;
        QTest::newRow("Ubuntu's GNOME on Wayland") << QStringList { u"XDG_SESSION_TYPE=wayland"_s,
            u"XDG_CURRENT_DESKTOP=ubuntu:GNOME"_s } << DesktopSession { wayland, Compositor::Gnome };
        QTest::newRow("Plasma on X11") << QStringList { u"XDG_SESSION_TYPE=x11"_s, u"XDG_CURRENT_DESKTOP=KDE"_s }
                                       << DesktopSession { x11, Compositor::Kde };
        QTest::newRow("sway started by hand") << QStringList { u"WAYLAND_DISPLAY=wayland-1"_s,
            u"SWAYSOCK=/run/sway.sock"_s } << DesktopSession { wayland, Compositor::Sway };
        QTest::newRow("X11 session under a Wayland variable")
            << QStringList { u"XDG_SESSION_TYPE=x11"_s, u"WAYLAND_DISPLAY=wayland-0"_s, u"XDG_CURRENT_DESKTOP=XFCE"_s }
            << DesktopSession { x11, Compositor::Other };
        QTest::newRow("nothing set") << QStringList() << DesktopSession { x11, Compositor::Other };
    }

    void detect()
    {
        QFETCH(QStringList, environment);
        QFETCH(DesktopSession, expected);
        const auto lookUp = [&](const char *name) {
            for (const QString &entry : environment)
                if (entry.startsWith(QLatin1String(name) + u'=')) return entry.section(u'=', 1);
            return QString();
        };
        QCOMPARE(DesktopSession::detect(lookUp), expected);
    }

    void preferredPlatform_data()
    {
        QTest::addColumn<DesktopSession>("session");
        QTest::addColumn<bool>("userNamed");
        QTest::addColumn<bool>("xDisplay");
        QTest::addColumn<QByteArray>("expected");
        const auto wayland = SessionType::Wayland;
        QTest::newRow("GNOME Wayland") << DesktopSession { wayland, Compositor::Gnome } << false << true
                                       << "xcb;wayland"_ba;
        QTest::newRow("Plasma Wayland") << DesktopSession { wayland, Compositor::Kde } << false << true
                                        << "xcb;wayland"_ba;
        QTest::newRow("user's choice") << DesktopSession { wayland, Compositor::Gnome } << true << true << QByteArray();
        QTest::newRow("no Xwayland") << DesktopSession { wayland, Compositor::Kde } << false << false << QByteArray();
        QTest::newRow("sway") << DesktopSession { wayland, Compositor::Sway } << false << true << QByteArray();
    }

    void preferredPlatform()
    {
        QFETCH(DesktopSession, session);
        QFETCH(bool, userNamed);
        QFETCH(bool, xDisplay);
        QFETCH(QByteArray, expected);
        QCOMPARE(::preferredPlatform(session, userNamed, xDisplay), expected);
    }
};

QTEST_GUILESS_MAIN(TestPopupPlacement)
#include "tst_popupplacement.moc"
