#include "app/statusclient.h"

#include "app/quitsignals.h"
#include "app/statuspublisher.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTextStream>
#include <QVariantMap>
#include <csignal>
#include <optional>
#include <poll.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace statusclient {

namespace {

constexpr int callTimeoutMs = 2000;

struct Status {
    QString title;
    QString state;
    QString tooltip;
};

const QString notRunning = u"baselark: Baselark is not running"_s;
const QString cannotWrite = u"baselark: cannot write to standard output"_s;

// Waybar reads text and tooltip as Pango markup.
QString escapeMarkup(QString text)
{
    return text.replace(u'&', u"&amp;"_s).replace(u'<', u"&lt;"_s).replace(u'>', u"&gt;"_s);
}

std::optional<Status> readStatus(const QDBusConnection &bus)
{
    QDBusMessage call = QDBusMessage::createMethodCall(StatusPublisher::serviceName(), StatusPublisher::objectPath(),
        u"org.freedesktop.DBus.Properties"_s, u"GetAll"_s);
    call << StatusPublisher::interfaceName();
    const QDBusReply<QVariantMap> reply = bus.call(call, QDBus::Block, callTimeoutMs);
    if (!reply.isValid()) return std::nullopt;
    const QVariantMap values = reply.value();
    return Status { values.value(u"Title"_s).toString(), values.value(u"State"_s).toString(),
        values.value(u"Tooltip"_s).toString() };
}

// Prints each distinct line once, flushing at once so a panel sees it without waiting for a buffer, and ends
// the event loop when nobody can read the lines any more.
class Follower : public QObject {
    Q_OBJECT
public:
    Follower(QDBusConnection bus, Format format, QTextStream &out, QTextStream &err)
        : m_bus(std::move(bus))
        , m_format(format)
        , m_out(out)
        , m_err(err)
    { }

    // False once standard output has failed.
    bool show(const std::optional<Status> &status)
    {
        // While the application is away the line goes blank, which hides a waybar module.
        const QString line = status ? formatLine(m_format, status->title, status->state, status->tooltip)
                                    : formatLine(m_format, QString(), QString(), QString());
        if (line == m_last) return true;
        m_last = line;
        m_out << line << Qt::endl;
        return m_out.status() == QTextStream::Ok;
    }

    // The reader of a pipe closed its end, or the terminal hung up; a panel that restarts leaves its old
    // clients behind this way, and no line may come to fail for hours.
    void outputHangup(QSocketNotifier &notifier)
    {
        pollfd output { STDOUT_FILENO, 0, 0 };
        if (::poll(&output, 1, 0) == 1 && (output.revents & (POLLERR | POLLHUP))) {
            stop(cannotWrite);
        } else {
            // Urgent data on a socket, not a hangup: stop asking rather than wake for it over and over.
            notifier.setEnabled(false);
        }
    }

public Q_SLOTS:
    void changed(const QString &title, const QString &state, const QString &tooltip)
    {
        showOrStop(Status { title, state, tooltip });
    }
    void appeared() { showOrStop(readStatus(m_bus)); }
    void disappeared() { showOrStop(std::nullopt); }
    void busDisconnected() { stop(u"baselark: the session bus went away"_s); }

private:
    void stop(const QString &message)
    {
        m_err << message << Qt::endl;
        QCoreApplication::exit(1);
    }

    void showOrStop(const std::optional<Status> &status)
    {
        if (!show(status)) stop(cannotWrite);
    }

    QDBusConnection m_bus;
    Format m_format;
    QTextStream &m_out;
    QTextStream &m_err;
    std::optional<QString> m_last;
};

} // namespace

QString formatLine(Format format, const QString &title, const QString &state, const QString &tooltip)
{
    if (format == Format::Plain) return title;
    const QJsonObject object {
        { u"text"_s, escapeMarkup(title) },
        { u"tooltip"_s, escapeMarkup(tooltip) },
        { u"class"_s, state },
        { u"alt"_s, state },
    };
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

int printStatus(QTextStream &out, QTextStream &err)
{
    const auto status = readStatus(QDBusConnection::sessionBus());
    if (!status) {
        err << notRunning << Qt::endl;
        return 1;
    }
    out << status->title << Qt::endl;
    return 0;
}

int follow(Format format, QTextStream &out, QTextStream &err)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        err << u"baselark: no session bus"_s << Qt::endl;
        return 1;
    }
    // A write to a pipe nobody reads fails with an error to act on, instead of killing the process unannounced.
    std::signal(SIGPIPE, SIG_IGN);
    // A panel that stops its clients gets an orderly exit with status 0.
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, qApp, &QCoreApplication::quit);
    Follower follower(bus, format, out, err);
    QDBusServiceWatcher watcher(StatusPublisher::serviceName(), bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &follower, &Follower::appeared);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceUnregistered, &follower, &Follower::disappeared);
    // Subscribed by name, so the signal keeps arriving from the next copy after a restart.
    bus.connect(StatusPublisher::serviceName(), StatusPublisher::objectPath(), StatusPublisher::interfaceName(),
        u"Changed"_s, &follower, SLOT(changed(QString, QString, QString)));
    // The bus library's own signal when the connection is lost; nothing else would tell of it.
    bus.connect(QString(), u"/org/freedesktop/DBus/Local"_s, u"org.freedesktop.DBus.Local"_s, u"Disconnected"_s,
        &follower, SLOT(busDisconnected()));
    // Hangups come as poll errors, which an exception notifier hears without waking for writability.
    QSocketNotifier hangup(STDOUT_FILENO, QSocketNotifier::Exception);
    QObject::connect(&hangup, &QSocketNotifier::activated, &follower, [&] { follower.outputHangup(hangup); });
    if (!follower.show(readStatus(bus))) {
        err << cannotWrite << Qt::endl;
        return 1;
    }
    return QCoreApplication::exec();
}

int toggle(QTextStream &err)
{
    const QDBusMessage call = QDBusMessage::createMethodCall(
        StatusPublisher::serviceName(), StatusPublisher::objectPath(), StatusPublisher::interfaceName(), u"Toggle"_s);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        err << notRunning << Qt::endl;
        return 1;
    }
    return 0;
}

} // namespace statusclient

#include "statusclient.moc"
