#include "dbusmenu.h"

#include <QDBusMetaType>

using namespace Qt::Literals::StringLiterals;

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItem &item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItem &item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuItemKeys &keys)
{
    argument.beginStructure();
    argument << keys.id << keys.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuItemKeys &keys)
{
    argument.beginStructure();
    argument >> keys.id >> keys.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuLayoutItem &item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const DBusMenuLayoutItem &child : item.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuLayoutItem &item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    item.children.clear();
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        item.children.append(qdbus_cast<DBusMenuLayoutItem>(child.variant()));
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusMenuEvent &event)
{
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusMenuEvent &event)
{
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

void DBusMenu::registerDBusTypes()
{
    qDBusRegisterMetaType<DBusMenuItem>();
    qDBusRegisterMetaType<QList<DBusMenuItem>>();
    qDBusRegisterMetaType<DBusMenuItemKeys>();
    qDBusRegisterMetaType<QList<DBusMenuItemKeys>>();
    qDBusRegisterMetaType<DBusMenuLayoutItem>();
    qDBusRegisterMetaType<DBusMenuEvent>();
    qDBusRegisterMetaType<QList<DBusMenuEvent>>();
}

DBusMenu::DBusMenu(QStringList labels, QObject *parent)
    : QObject(parent)
    , m_labels(std::move(labels))
{
    registerDBusTypes();
}

uint DBusMenu::GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames, DBusMenuLayoutItem &layout)
{
    if (!contains(parentId)) {
        replyUnknownId(parentId);
        return 0;
    }
    layout = this->layout(parentId, recursionDepth, propertyNames);
    return m_revision;
}

void DBusMenu::setItemVisible(int id, bool visible)
{
    if (id <= 0 || !contains(id) || visible == isItemVisible(id)) return;
    if (visible)
        m_hidden.removeAll(id);
    else
        m_hidden.append(id);
    // Hosts differ in which of the two they follow.
    Q_EMIT ItemsPropertiesUpdated({ { id, { { u"visible"_s, visible } } } }, {});
    Q_EMIT LayoutUpdated(++m_revision, 0);
}

QList<DBusMenuItem> DBusMenu::GetGroupProperties(const QList<int> &ids, const QStringList &propertyNames)
{
    QList<int> wanted = ids;
    if (wanted.isEmpty()) {
        for (int id = 0; contains(id); ++id)
            wanted.append(id);
    }
    QList<DBusMenuItem> items;
    for (const int id : std::as_const(wanted)) {
        if (contains(id)) items.append({ id, properties(id, propertyNames) });
    }
    return items;
}

QDBusVariant DBusMenu::GetProperty(int id, const QString &name)
{
    const QVariantMap found = contains(id) ? properties(id, { name }) : QVariantMap();
    if (found.isEmpty() && calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, u"Item %1 has no property %2"_s.arg(id).arg(name));
    return QDBusVariant(found.value(name));
}

void DBusMenu::Event(int id, const QString &eventId, const QDBusVariant &, uint)
{
    if (!handleEvent(id, eventId)) replyUnknownId(id);
}

QList<int> DBusMenu::EventGroup(const QList<DBusMenuEvent> &events)
{
    QList<int> idErrors;
    for (const DBusMenuEvent &event : events) {
        if (!handleEvent(event.id, event.eventId)) idErrors.append(event.id);
    }
    return idErrors;
}

bool DBusMenu::AboutToShow(int)
{
    return false;
}

QList<int> DBusMenu::AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors)
{
    for (const int id : ids) {
        if (!contains(id)) idErrors.append(id);
    }
    return {};
}

QVariantMap DBusMenu::properties(int id, const QStringList &names) const
{
    QVariantMap all;
    if (id == 0) {
        all[u"children-display"_s] = u"submenu"_s;
    } else {
        all[u"label"_s] = m_labels.at(id - 1);
        all[u"enabled"_s] = true;
        all[u"visible"_s] = isItemVisible(id);
    }
    if (names.isEmpty()) return all;
    QVariantMap chosen;
    for (const QString &name : names) {
        if (all.contains(name)) chosen[name] = all[name];
    }
    return chosen;
}

DBusMenuLayoutItem DBusMenu::layout(int id, int depth, const QStringList &names) const
{
    DBusMenuLayoutItem item { id, properties(id, names), {} };
    // Depth -1 means the whole tree; only the root has children.
    if (id == 0 && depth != 0) {
        for (int child = 1; contains(child); ++child)
            item.children.append(layout(child, depth - 1, names));
    }
    return item;
}

bool DBusMenu::handleEvent(int id, const QString &eventId)
{
    if (!contains(id)) return false;
    if (id > 0 && eventId == "clicked"_L1) Q_EMIT clicked(id);
    return true;
}

void DBusMenu::replyUnknownId(int id)
{
    if (calledFromDBus()) sendErrorReply(QDBusError::InvalidArgs, u"Unknown menu item %1"_s.arg(id));
}
