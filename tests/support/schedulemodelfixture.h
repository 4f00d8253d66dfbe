#pragma once

#include "fakescheduleapi.h"
#include "notifications/notificationservice.h"
#include "schedule/scheduleviewmodel.h"

#include <QDateTime>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// A schedule view model over a fake service, with preferences in a folder of its own.
struct ScheduleModelFixture {
    QTemporaryDir dir;
    // Without a desktop-file id the alert sync answers unavailable and touches nothing.
    NotificationService notifications { nullptr, QString() };
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<FakeScheduleAPI> api;
    std::unique_ptr<ScheduleViewModel> viewModel;

    // Starts afresh with these preferences and clock; `firstLoad` starts the day's load at once.
    void reset(
        const QVariantMap &preferences, bool firstLoad = true,
        ScheduleViewModel::Clock clock = [] { return QDateTime::currentDateTime(); })
    {
        clear();
        settings = std::make_unique<QSettings>(dir.filePath(QStringLiteral("prefs.ini")), QSettings::IniFormat);
        settings->clear();
        for (auto it = preferences.begin(); it != preferences.end(); ++it)
            settings->setValue(it.key(), it.value());
        api = std::make_unique<FakeScheduleAPI>();
        viewModel = std::make_unique<ScheduleViewModel>(
            api.get(), &notifications, settings.get(), std::move(clock), false, firstLoad);
    }

    void clear()
    {
        viewModel.reset();
        api.reset();
    }
};
