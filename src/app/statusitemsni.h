#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QVariantMap>

// One IconPixmap entry: width, height and ARGB32 pixels in network byte order, (iiay).
struct SniIcon {
    int width = 0;
    int height = 0;
    QByteArray bytes;
};
using SniIconList = QList<SniIcon>;

// The ToolTip property: icon name, icon pixmaps, title and description, (sa(iiay)ss).
struct SniToolTip {
    QString iconName;
    SniIconList icons;
    QString title;
    QString description;
};

QDBusArgument &operator<<(QDBusArgument &argument, const SniIcon &icon);
const QDBusArgument &operator>>(const QDBusArgument &argument, SniIcon &icon);
QDBusArgument &operator<<(QDBusArgument &argument, const SniToolTip &toolTip);
const QDBusArgument &operator>>(const QDBusArgument &argument, SniToolTip &toolTip);

Q_DECLARE_METATYPE(SniIcon)
Q_DECLARE_METATYPE(SniToolTip)

SniIcon toSniIcon(const QImage &image);

// The org.kde.StatusNotifierItem object that status-area hosts read: the label, the icon and the clicks.
class StatusItemSni : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ label)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ emptyName)
    Q_PROPERTY(SniIconList IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ emptyName)
    Q_PROPERTY(QString AttentionIconName READ emptyName)
    Q_PROPERTY(SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(QString XAyatanaLabel READ label)
    Q_PROPERTY(QString XAyatanaLabelGuide READ labelGuide)
    Q_PROPERTY(uint XAyatanaOrderingIndex READ orderingIndex)

public:
    static QString interfaceName() { return QStringLiteral("org.kde.StatusNotifierItem"); }
    static QString objectPath() { return QStringLiteral("/StatusNotifierItem"); }
    static void registerDBusTypes();

    explicit StatusItemSni(QDBusObjectPath menu, QObject *parent = nullptr);

    QString label() const { return m_label; }
    // About the widest title there is; hosts that size the item by the guide then keep its width at every change.
    static QString labelGuide() { return QStringLiteral("NYY @ BOS 10-10 Bot 10th"); }
    void setLabel(const QString &label);
    SniIconList iconPixmap() const { return m_icons; }
    void setIconPixmap(SniIconList icons);
    QString activationToken() const { return m_activationToken; }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("baselark"); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString emptyName() const { return {}; }
    SniToolTip toolTip() const;
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return m_menu; }
    uint orderingIndex() const { return 0; }

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(int x, int y);
    Q_SCRIPTABLE void SecondaryActivate(int x, int y);
    Q_SCRIPTABLE void ContextMenu(int x, int y);
    Q_SCRIPTABLE void Scroll(int delta, const QString &orientation);
    Q_SCRIPTABLE void ProvideXdgActivationToken(const QString &token);

Q_SIGNALS:
    Q_SCRIPTABLE void NewTitle();
    Q_SCRIPTABLE void NewIcon();
    Q_SCRIPTABLE void NewToolTip();
    Q_SCRIPTABLE void NewStatus(const QString &status);
    Q_SCRIPTABLE void XAyatanaNewLabel(const QString &label, const QString &guide);

    void activated(QPoint globalPos);

private:
    void notifyPropertiesChanged(const QVariantMap &changed);

    QDBusObjectPath m_menu;
    QString m_label;
    SniIconList m_icons;
    QString m_activationToken;
};
