#include "statusitemsni.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QtEndian>

using namespace Qt::Literals::StringLiterals;

QDBusArgument &operator<<(QDBusArgument &argument, const SniIcon &icon)
{
    argument.beginStructure();
    argument << icon.width << icon.height << icon.bytes;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, SniIcon &icon)
{
    argument.beginStructure();
    argument >> icon.width >> icon.height >> icon.bytes;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const SniToolTip &toolTip)
{
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.icons << toolTip.title << toolTip.description;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, SniToolTip &toolTip)
{
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.icons >> toolTip.title >> toolTip.description;
    argument.endStructure();
    return argument;
}

SniIcon toSniIcon(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    SniIcon icon { argb.width(), argb.height(), QByteArray(qsizetype(argb.width()) * argb.height() * 4, '\0') };
    auto *out = reinterpret_cast<uchar *>(icon.bytes.data());
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x, out += 4)
            qToBigEndian<quint32>(line[x], out);
    }
    return icon;
}

void StatusItemSni::registerDBusTypes()
{
    qDBusRegisterMetaType<SniIcon>();
    qDBusRegisterMetaType<SniIconList>();
    qDBusRegisterMetaType<SniToolTip>();
}

StatusItemSni::StatusItemSni(QDBusObjectPath menu, QObject *parent)
    : QObject(parent)
    , m_menu(std::move(menu))
{
    registerDBusTypes();
}

void StatusItemSni::setLabel(const QString &label)
{
    if (label == m_label) return;
    m_label = label;
    Q_EMIT NewTitle();
    Q_EMIT NewToolTip();
    Q_EMIT XAyatanaNewLabel(m_label, labelGuide());
    notifyPropertiesChanged({
        { u"Title"_s, m_label },
        { u"ToolTip"_s, QVariant::fromValue(toolTip()) },
        { u"XAyatanaLabel"_s, m_label },
    });
}

void StatusItemSni::setIconPixmap(SniIconList icons)
{
    m_icons = std::move(icons);
    Q_EMIT NewIcon();
    notifyPropertiesChanged({ { u"IconPixmap"_s, QVariant::fromValue(m_icons) } });
}

SniToolTip StatusItemSni::toolTip() const
{
    return { QString(), {}, m_label, QString() };
}

void StatusItemSni::Activate(int x, int y)
{
    // Hosts that do not know where the item is send 0,0.
    Q_EMIT activated(x == 0 && y == 0 ? QPoint() : QPoint(x, y));
}

void StatusItemSni::SecondaryActivate(int x, int y)
{
    Activate(x, y);
}

void StatusItemSni::ContextMenu(int, int)
{ }

void StatusItemSni::Scroll(int, const QString &)
{ }

void StatusItemSni::ProvideXdgActivationToken(const QString &token)
{
    m_activationToken = token;
}

void StatusItemSni::notifyPropertiesChanged(const QVariantMap &changed)
{
    // QtDBus does not announce property changes by itself.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.objectRegisteredAt(objectPath()) != this) return;
    QDBusMessage signal
        = QDBusMessage::createSignal(objectPath(), u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s);
    signal << interfaceName() << changed << QStringList();
    bus.send(signal);
}
