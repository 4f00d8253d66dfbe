#include "notifications/notificationservice.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using Planner = GameStartNotificationPlanner;
using State = GameStartNotificationSyncState;
using Permission = NotificationPermissionStatus;

GameStartNotificationSyncResult result(State state, Permission permission)
{
    GameStartNotificationSyncResult r;
    r.state = state;
    r.permissionStatus = permission;
    return r;
}

// The answer for a permission that stops an operation before it touches anything.
GameStartNotificationSyncResult stopped(Permission permission)
{
    switch (permission) {
    case Permission::NotDetermined:
        return result(State::NeedsPermission, permission);
    case Permission::Denied:
        return result(State::Denied, permission);
    case Permission::Unavailable:
    case Permission::Authorized:
        break;
    }
    return GameStartNotificationSyncResult::unavailable();
}

// A change that is in effect but not stored would be undone by a restart: the user must hear of it.
void reportStoreError(GameStartNotificationSyncResult &r, const NotificationCenterClient &center)
{
    if (r.state == State::Failed) return;
    if (auto error = center.storeError()) {
        r.state = State::Failed;
        r.errorMessage = std::move(error);
    }
}

} // namespace

NotificationService::NotificationService(NotificationCenterClient *center, QString bundleIdentifier, Clock now)
    : m_center(center)
    , m_bundleIdentifier(std::move(bundleIdentifier))
    , m_now(std::move(now))
{ }

QCoro::Task<NotificationPermissionStatus> NotificationService::currentPermissionStatus()
{
    if (!hasBundleIdentifier()) co_return Permission::Unavailable;
    co_return co_await m_center->authorizationStatus();
}

QCoro::Task<NotificationPermissionStatus> NotificationService::requestNotificationPermission()
{
    if (!hasBundleIdentifier()) co_return Permission::Unavailable;
    try {
        co_await m_center->requestAuthorization();
    } catch (const NotificationCenterError &) {
        // The status read below decides.
    }
    co_return co_await m_center->authorizationStatus();
}

QCoro::Task<QStringList> NotificationService::pendingGameStartNotificationIds()
{
    if (!hasBundleIdentifier()) co_return QStringList();
    QStringList ids = co_await m_center->pendingNotificationRequestIds();
    ids.removeIf([](const QString &id) { return !id.startsWith(Planner::identifierPrefix); });
    std::sort(ids.begin(), ids.end());
    co_return ids;
}

QCoro::Task<GameStartNotificationSyncResult> NotificationService::disableGameStartNotifications()
{
    if (!hasBundleIdentifier()) co_return GameStartNotificationSyncResult::unavailable();
    const QStringList pending = co_await pendingGameStartNotificationIds();
    if (!pending.isEmpty()) co_await m_center->removePendingNotificationRequests(pending);
    auto r = result(State::Disabled, Permission::NotDetermined);
    r.removedRequestIds = pending;
    reportStoreError(r, *m_center);
    co_return r;
}

QCoro::Task<GameStartNotificationSyncResult> NotificationService::syncGameStartNotifications(
    std::vector<GameStartNotificationPlanner::Request> requests, QStringList removing)
{
    if (!hasBundleIdentifier()) co_return GameStartNotificationSyncResult::unavailable();
    const Permission status = co_await m_center->authorizationStatus();
    // Without permission nothing is removed either: the pending alerts stay as the user left them.
    if (status != Permission::Authorized) co_return stopped(status);

    if (!removing.isEmpty()) co_await m_center->removePendingNotificationRequests(removing);
    auto r = result(State::NoUpcomingGames, Permission::Authorized);
    r.removedRequestIds = removing;
    if (requests.empty()) {
        reportStoreError(r, *m_center);
        co_return r;
    }

    r.nextRequest = Planner::nextRequest(requests);
    for (const auto &request : requests) {
        try {
            co_await m_center->addGameStartNotification(request);
        } catch (const NotificationCenterError &error) {
            r.state = State::Failed;
            r.errorMessage = error.description();
            co_return r;
        }
        r.addedRequestIds.append(request.id);
    }
    r.state = State::Scheduled;
    reportStoreError(r, *m_center);
    co_return r;
}

QCoro::Task<GameStartNotificationSyncResult> NotificationService::scheduleTestNotification(double afterSeconds)
{
    if (!hasBundleIdentifier()) co_return GameStartNotificationSyncResult::unavailable();
    Permission status = co_await m_center->authorizationStatus();
    // The test asks for permission; the sync never does.
    if (status == Permission::NotDetermined) status = co_await requestNotificationPermission();
    if (status != Permission::Authorized) co_return stopped(status);

    const QDateTime fireAt = m_now().addMSecs(qRound64(afterSeconds * 1000));
    const Planner::Request request = Planner::testRequest(fireAt);
    auto r = result(State::Scheduled, Permission::Authorized);
    r.nextRequest = request;
    r.removedRequestIds = { request.id };
    co_await m_center->removePendingNotificationRequests({ request.id });
    try {
        co_await m_center->addGameStartNotification(request);
    } catch (const NotificationCenterError &error) {
        r.state = State::Failed;
        r.errorMessage = error.description();
        co_return r;
    }
    r.addedRequestIds = { request.id };
    co_return r;
}
