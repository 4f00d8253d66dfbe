#pragma once

#include "fakescheduleapi.h"
#include "notifications/notificationservice.h"
#include "schedule/scheduleviewmodel.h"

#include <QDateTime>
#include <QSettings>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>

// A schedule view model over a fake service, with preferences in a folder of its own.
struct ScheduleFixture {
    QTemporaryDir dir;
    // Without a desktop-file id the alert sync answers unavailable and touches nothing.
    NotificationService notifications { nullptr, QString() };
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<FakeScheduleAPI> api;
    std::unique_ptr<ScheduleViewModel> viewModel;
    std::unique_ptr<QWidget> window;

    // Starts afresh with these preferences; `firstLoad` starts the day's load at once.
    void reset(const QVariantMap &preferences, bool firstLoad = true)
    {
        clear();
        settings = std::make_unique<QSettings>(dir.filePath(QStringLiteral("prefs.ini")), QSettings::IniFormat);
        settings->clear();
        for (auto it = preferences.begin(); it != preferences.end(); ++it)
            settings->setValue(it.key(), it.value());
        api = std::make_unique<FakeScheduleAPI>();
        viewModel = std::make_unique<ScheduleViewModel>(
            api.get(), &notifications, settings.get(), [] { return QDateTime::currentDateTime(); }, false, firstLoad);
    }

    // Shows `view` filling a window of the popup's size, as the popup holds it.
    template <typename View> View *show(View *view)
    {
        window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view);
        window->resize(320, 500);
        window->show();
        return view;
    }

    void clear()
    {
        window.reset();
        viewModel.reset();
        api.reset();
    }
};
