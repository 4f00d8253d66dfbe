#include "ui/datepickerpopover.h"

#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

// On a bare X server see-through pixels come out black: the calendar is drawn opaque there and takes its
// translucent shape with the arrow only while a compositing manager claims the screen.
class TestPopoverCompositing : public QObject {
    Q_OBJECT

    static QAbstractButton *makeButton(QWidget *parent) { return new QToolButton(parent); }

    // Claims or releases the screen's compositing selection the way a compositing manager does.
    static void claimCompositing(xcb_window_t owner)
    {
        xcb_connection_t *connection = qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        const QByteArray name = "_NET_WM_CM_S0";
        auto *atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr);
        QVERIFY(atom);
        xcb_set_selection_owner(connection, owner, atom->atom, XCB_CURRENT_TIME);
        xcb_flush(connection);
        std::free(atom);
    }

private Q_SLOTS:
    void followsTheCompositor()
    {
        if (QGuiApplication::platformName() != u"xcb") QSKIP("needs an X server");
        QWidget anchor;
        anchor.resize(120, 24);
        anchor.show();
        DatePickerPopover popover(makeButton, &anchor);
        QVERIFY(!DatePickerPopover::x11CompositingActive());
        QVERIFY(!popover.isTranslucent());
        const int opaqueWidth = popover.width();

        QWidget compositor;
        compositor.winId();
        claimCompositing(xcb_window_t(compositor.winId()));
        QVERIFY(DatePickerPopover::x11CompositingActive());
        popover.popUp(&anchor);
        QVERIFY(popover.isTranslucent());
        QCOMPARE_GT(popover.width(), opaqueWidth);
        popover.close();

        claimCompositing(XCB_NONE);
        QVERIFY(!DatePickerPopover::x11CompositingActive());
        popover.popUp(&anchor);
        QVERIFY(!popover.isTranslucent());
        QCOMPARE(popover.width(), opaqueWidth);
        QVERIFY(popover.isVisible());
    }
};

QTEST_MAIN(TestPopoverCompositing)
#include "tst_popovercompositing.moc"
