#pragma once

#include "system/appcast.h"

#include <QDialog>
#include <QTextBrowser>

#include <functional>

class QLabel;
class QPushButton;

// Shows release notes and never follows a link or loads a resource by itself.
class ReleaseNotesBrowser : public QTextBrowser {
    Q_OBJECT
public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl &name) override;
};

// The window that tells of a new release: its version, its notes, and the three choices.
class UpdateDialog : public QDialog {
    Q_OBJECT
public:
    using OpenURL = std::function<void(const QUrl &)>;

    UpdateDialog(const AppcastItem &item, const QString &runningVersion, OpenURL openUrl, QWidget *parent = nullptr);

    const AppcastItem &item() const { return m_item; }
    QLabel *messageLabel() const { return m_message; }
    ReleaseNotesBrowser *releaseNotes() const { return m_notes; }
    QPushButton *downloadButton() const { return m_download; }
    QPushButton *skipButton() const { return m_skip; }
    QPushButton *remindLaterButton() const { return m_remindLater; }

Q_SIGNALS:
    void skipVersionRequested();

private:
    AppcastItem m_item;
    OpenURL m_openUrl;
    QLabel *m_message;
    ReleaseNotesBrowser *m_notes;
    QPushButton *m_download;
    QPushButton *m_skip;
    QPushButton *m_remindLater;
};
