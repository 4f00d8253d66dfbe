#pragma once

#include "schedulemodelfixture.h"

#include <QVBoxLayout>
#include <QWidget>

// The schedule view model's fixture, with a window to show views in.
struct ScheduleFixture : ScheduleModelFixture {
    std::unique_ptr<QWidget> window;

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

    void reset(const QVariantMap &preferences, bool firstLoad = true)
    {
        window.reset();
        ScheduleModelFixture::reset(preferences, firstLoad);
    }

    void clear()
    {
        window.reset();
        ScheduleModelFixture::clear();
    }
};
