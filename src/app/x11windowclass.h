#pragma once

#include <QByteArray>
#include <QObject>

// Gives every X11 window of the application the desktop-file id as the class in WM_CLASS, the name window
// rules and docks match; Qt writes the application name there.
class X11WindowClass : public QObject {
    Q_OBJECT

public:
    // Watches the application's windows when it runs on X11 (or Xwayland); does nothing elsewhere.
    explicit X11WindowClass(QByteArray windowClass, QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QByteArray m_value;
};
