#include "notifications/fakenotificationcenterclient.h"

#include <algorithm>

using namespace Qt::StringLiterals;

QCoro::Task<bool> FakeNotificationCenterClient::requestAuthorization()
{
    calls.push_back({ u"requestAuthorization"_s, {} });
    if (requestAuthorizationFails) throw NotificationCenterError(u"Authorization failed"_s);
    if (status == NotificationPermissionStatus::NotDetermined) status = statusAfterRequest;
    co_return status == NotificationPermissionStatus::Authorized;
}

QCoro::Task<NotificationPermissionStatus> FakeNotificationCenterClient::authorizationStatus()
{
    calls.push_back({ u"authorizationStatus"_s, {} });
    co_return status;
}

QCoro::Task<QStringList> FakeNotificationCenterClient::pendingNotificationRequestIds()
{
    calls.push_back({ u"pending"_s, {} });
    co_return pendingIds();
}

QCoro::Task<> FakeNotificationCenterClient::addGameStartNotification(GameStartNotificationPlanner::Request request)
{
    calls.push_back({ u"add"_s, { request.id } });
    if (++additionCount == failingAddition) throw NotificationCenterError(additionError);
    std::erase_if(pending, [&](const auto &other) { return other.id == request.id; });
    pending.push_back(std::move(request));
    co_return;
}

QCoro::Task<> FakeNotificationCenterClient::removePendingNotificationRequests(QStringList identifiers)
{
    calls.push_back({ u"remove"_s, identifiers });
    std::erase_if(pending, [&](const auto &request) { return identifiers.contains(request.id); });
    co_return;
}

QStringList FakeNotificationCenterClient::pendingIds() const
{
    QStringList ids;
    for (const auto &request : pending)
        ids.append(request.id);
    return ids;
}

std::vector<FakeNotificationCenterClient::Call> FakeNotificationCenterClient::callsOf(const QString &operation) const
{
    std::vector<Call> result;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(result),
        [&](const Call &call) { return call.operation == operation; });
    return result;
}

QCoro::Task<> FakeNotificationCenterClient::deliverNow(QString id, QString title, QString body, QString thread)
{
    shown.push_back({ std::move(id), std::move(title), std::move(body), std::move(thread) });
    co_return;
}

void FakeNotificationCenterClient::addSeenEventIds(const QStringList &ids)
{
    for (const QString &id : ids) {
        if (!seen.contains(id)) seen.append(id);
    }
}
