#pragma once

#include "system/appcast.h"

#include <QString>

#include <functional>

// The windows the updater shows; the application supplies them, tests record what would be shown.
class UpdaterDialogs {
public:
    virtual ~UpdaterDialogs() = default;

    // `skipVersion` runs when the user chooses "Skip This Version".
    virtual void showUpdateFound(
        const AppcastItem &item, const QString &runningVersion, std::function<void()> skipVersion)
        = 0;
    // An automatic check found `item`: say so without taking the focus; `showUpdate` opens the update window.
    virtual void announceUpdate(const AppcastItem &item, std::function<void()> showUpdate) = 0;
    // After a manual check only.
    virtual void showUpToDate(const QString &runningVersion) = 0;
    virtual void showCheckFailed(const QString &message) = 0;
    virtual void showInstallLocationAlert(const QString &path) = 0;
};
