#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QKeyEvent;
class QWidget;

// Sees every key press of the window that holds a view, whichever child has the focus, while the monitor
// exists, and swallows the presses its handler reports as handled.
class LocalKeyMonitor : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<bool(const QKeyEvent &)>;

    LocalKeyMonitor(QWidget *view, Handler onKeyDown, QObject *parent = nullptr);
    ~LocalKeyMonitor() override;

    void setOnKeyDown(Handler onKeyDown) { m_onKeyDown = std::move(onKeyDown); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_view;
    Handler m_onKeyDown;
};
