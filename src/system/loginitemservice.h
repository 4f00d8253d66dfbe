#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Starts Baselark when the user logs in, through an XDG autostart entry that it writes and removes, and
// mirrors that entry's state for the Settings tab.
class LoginItemService : public QObject {
    Q_OBJECT

public:
    // Unknown: the entry exists but cannot be read.
    enum class Status { NotRegistered, Enabled, RequiresApproval, NotFound, Unknown };

    // Opens the desktop's startup-applications settings; given the autostart folder for desktops without one.
    using SettingsOpener = std::function<void(const QString &autostartFolder)>;

    static constexpr auto fileName = "io.github.baselark.Baselark.desktop";
    // Marks an entry as written by us, so that a user's own file of the same name is never removed.
    static constexpr auto ownerKey = "X-Baselark-Autostart";

    // `executablePath` is the absolute program to start, or empty when this copy has no stable location.
    LoginItemService(QString autostartFolder, std::optional<QString> executablePath, SettingsOpener openSettings,
        QObject *parent = nullptr);

    // The instance for this process: $XDG_CONFIG_HOME/autostart and the running executable.
    static LoginItemService &shared();

    Status status() const { return m_status; }
    const std::optional<QString> &errorMessage() const { return m_errorMessage; }
    bool isEnabled() const { return m_status == Status::Enabled || m_status == Status::RequiresApproval; }
    QString loginStatusText() const;
    QString entryPath() const;

    void setEnabled(bool enabled);
    void refresh();
    void openLoginItemsSettings();

    // The executable an autostart entry can name, or nothing for a copy run from a build tree, a temporary
    // folder or an unpacked AppImage. `appImage` and `appDir` are $APPIMAGE and $APPDIR (see trustedAppImage).
    static std::optional<QString> stableExecutablePath(const QString &applicationFilePath, const QString &appImage,
        const QString &appDir, const QStringList &temporaryFolders);
    // The Exec value that runs `program`, quoted and escaped as desktop entries require.
    static QString execValue(const QString &program);
    // The program an Exec value starts (its first argument, unquoted and unescaped).
    static QString execProgram(const QString &execValue);
    // The program and arguments of the startup-applications settings of the desktop named by
    // $XDG_CURRENT_DESKTOP, the first that `isInstalled`; nothing when the desktop has none we know.
    static std::optional<QStringList> startupSettingsCommand(
        const QString &currentDesktop, const std::function<bool(const QString &program)> &isInstalled);

Q_SIGNALS:
    void changed();

private:
    // Also points our entry at this copy when the program it names is gone.
    Status readStatus();
    bool repointEntry(const QByteArray &entry);
    std::optional<QString> registerEntry();
    std::optional<QString> unregisterEntry();
    QString entryText() const;

    QString m_autostartFolder;
    std::optional<QString> m_executablePath;
    SettingsOpener m_openSettings;
    Status m_status = Status::NotRegistered;
    std::optional<QString> m_errorMessage;
    // The program the entry names when it does not exist: the entry is there but starts nothing.
    std::optional<QString> m_missingProgram;
};
