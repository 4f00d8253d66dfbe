#include "ui/settingsview.h"

#include "schedule/scheduleviewmodel.h"
#include "system/loginitemservice.h"
#include "system/updaterservice.h"
#include "ui/accessibility.h"
#include "ui/applogo.h"
#include "ui/myteamseditor.h"
#include "ui/theme.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int padding = 16;
constexpr int sectionSpacing = 16;
constexpr int rowSpacing = 6;
constexpr int logoSize = 28;

qint64 monotonicMsecs()
{
    static QElapsedTimer timer;
    if (!timer.isValid()) timer.start();
    return timer.elapsed();
}

// The application's icon in a rounded square; it reports its clicks.
class LogoView : public QWidget {
public:
    LogoView(std::function<void()> onClick, QWidget *parent)
        : QWidget(parent)
        , m_onClick(std::move(onClick))
    {
        setObjectName(u"logo"_s);
        setFixedSize(logoSize, logoSize);
        accessibility::setRole(this, QAccessible::Graphic);
        setAccessibleName(u"Baselark logo"_s);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), 6, 6);
        painter.setClipPath(clip);
        appLogo().paint(&painter, rect(), Qt::AlignCenter);
    }

    void mousePressEvent(QMouseEvent *event) override { event->setAccepted(event->button() == Qt::LeftButton); }
    // Counted on release, since a double click also delivers a second press.
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) m_onClick();
    }
    void mouseDoubleClickEvent(QMouseEvent *) override { }

private:
    std::function<void()> m_onClick;
};

QWidget *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setObjectName(u"divider"_s);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

QVBoxLayout *sectionLayout(QWidget *section, int spacing = rowSpacing)
{
    auto *column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    return column;
}

QLabel *label(
    const QString &name, const QString &text, int pixelSize, QWidget *parent, QFont::Weight weight = QFont::Normal)
{
    auto *result = new QLabel(text, parent);
    result->setObjectName(name);
    result->setTextFormat(Qt::PlainText);
    result->setFont(theme::font(pixelSize, weight));
    result->setWordWrap(true);
    return result;
}

// A picker after its label, laid out in `row`, with room left after it.
QComboBox *pickerRow(
    QHBoxLayout *row, const QString &labelName, const QString &text, const QString &pickerName, QWidget *parent)
{
    row->setSpacing(8);
    QLabel *title = label(labelName, text, 11, parent);
    title->setWordWrap(false);
    row->addWidget(title);
    auto *picker = new QComboBox(parent);
    picker->setObjectName(pickerName);
    picker->setFont(theme::font(11));
    title->setBuddy(picker);
    row->addWidget(picker);
    row->addStretch(1);
    return picker;
}

QCheckBox *checkBox(const QString &name, const QString &text, QWidget *parent)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->setFont(theme::font(12));
    return box;
}

QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *result = new QPushButton(text, parent);
    result->setObjectName(name);
    result->setFont(theme::font(11));
    result->setAutoDefault(false);
    return result;
}

// The desktop's notification settings, where we know them; Linux has no per-application pane to aim at.
void openNotificationSettings()
{
    const QList<QStringList> commands { { u"gnome-control-center"_s, u"notifications"_s },
        { u"systemsettings"_s, u"kcm_notifications"_s }, { u"xfce4-notifyd-config"_s } };
    for (const QStringList &command : commands) {
        if (!QStandardPaths::findExecutable(command.first()).isEmpty()
            && QProcess::startDetached(command.first(), command.mid(1)))
            return;
    }
}

} // namespace

bool QuickClickCounter::click(qint64 msecs, qint64 intervalMsecs)
{
    m_count = m_count > 0 && msecs - m_last <= intervalMsecs ? m_count + 1 : 1;
    m_last = msecs;
    if (m_count < 3) return false;
    m_count = 0;
    return true;
}

SettingsView::NotificationButton SettingsView::notificationButton(GameStartNotificationSyncStatus::Kind kind)
{
    switch (kind) {
    case GameStartNotificationSyncStatus::Kind::NeedsPermission:
        return NotificationButton::GrantPermission;
    case GameStartNotificationSyncStatus::Kind::Denied:
        return NotificationButton::OpenSystemSettings;
    default:
        return NotificationButton::None;
    }
}

QString SettingsView::lastCheckedText(const QDateTime &date, const QLocale &locale)
{
    // The locale's own short form, so that day, month and year come in the order its readers expect.
    return u"Last checked "_s + locale.toString(date.toLocalTime(), QLocale::ShortFormat);
}

std::vector<MLBTeam> SettingsView::teamsByName()
{
    std::vector<MLBTeam> teams(MLBTeam::all().begin(), MLBTeam::all().end());
    std::ranges::stable_sort(teams, {}, &MLBTeam::name);
    return teams;
}

SettingsView::SettingsView(
    ScheduleViewModel *viewModel, UpdaterService *updater, LoginItemService *loginItem, QWidget *parent)
    : QScrollArea(parent)
    , m_viewModel(viewModel)
    , m_updater(updater)
    , m_loginItem(loginItem)
    , m_sortedTeams(teamsByName())
{
    setObjectName(u"settingsView"_s);
    setAccessibleName(u"Settings"_s);
    // Tab goes from control to control, each scrolled into view; the column itself is no stop of its own.
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);

    auto *content = new QWidget;
    content->setObjectName(u"settingsColumn"_s);
    content->setAutoFillBackground(false);
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(sectionSpacing);
    const QList<QWidget *> sections { buildHeader(content), buildFavoriteClub(content), buildNoSpoilers(content),
        buildStartOnLogin(content), buildNotifications(content), buildUpdates(content) };
    for (QWidget *section : sections) {
        if (section != sections.first()) column->addWidget(divider(content));
        column->addWidget(section);
    }
    m_debugDivider = divider(content);
    column->addWidget(m_debugDivider);
    column->addWidget(buildDebug(content));
    column->addStretch(1);
    setWidget(content);

    connect(m_viewModel, &ScheduleViewModel::changed, this, &SettingsView::update);
    connect(m_updater, &UpdaterService::changed, this, &SettingsView::update);
    connect(m_loginItem, &LoginItemService::changed, this, &SettingsView::update);
    // An approval given in the desktop's settings shows as soon as the user comes back.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) m_loginItem->refresh();
    });
    applyColors();
    update();
}

SettingsView::~SettingsView() = default;

QWidget *SettingsView::buildHeader(QWidget *parent)
{
    auto *header = new QWidget(parent);
    header->setObjectName(u"header"_s);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    m_logo = new LogoView([this] { logoClicked(); }, header);
    row->addWidget(m_logo, 0, Qt::AlignVCenter);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(label(u"appName"_s, u"Baselark"_s, 18, header, QFont::Bold));
    QLabel *tagline = label(u"tagline"_s, u"MLB scoreboard for your panel"_s, 10, header);
    m_secondaryLabels.append(tagline);
    titles->addWidget(tagline);
    row->addLayout(titles, 1);
    return header;
}

QWidget *SettingsView::buildFavoriteClub(QWidget *parent)
{
    auto *section = new QWidget(parent);
    section->setObjectName(u"favoriteClub"_s);
    QVBoxLayout *column = sectionLayout(section);
    QLabel *title = label(u"myTeamLabel"_s, u"My Team"_s, 11, section, QFont::DemiBold);
    m_secondaryLabels.append(title);
    column->addWidget(title);
    m_team = new QComboBox(section);
    m_team->setObjectName(u"teamPicker"_s);
    m_team->setAccessibleName(u"My Team"_s);
    title->setBuddy(m_team);
    m_team->setMaxVisibleItems(12);
    for (const MLBTeam &team : m_sortedTeams)
        m_team->addItem(team.name, team.id);
    connect(m_team, &QComboBox::activated, this,
        [this](int index) { m_viewModel->setFavoriteTeam(m_team->itemData(index).toLongLong()); });
    column->addWidget(m_team, 0, Qt::AlignLeft);
    QLabel *followed = label(u"followedLabel"_s, u"My Teams (checked clubs get alerts)"_s, 10, section);
    m_secondaryLabels.append(followed);
    column->addWidget(followed);
    m_myTeams = new MyTeamsEditor(m_viewModel, section);
    followed->setBuddy(m_myTeams->list());
    column->addWidget(m_myTeams);
    return section;
}

QWidget *SettingsView::buildNoSpoilers(QWidget *parent)
{
    auto *section = new QWidget(parent);
    section->setObjectName(u"noSpoilersSection"_s);
    QVBoxLayout *column = sectionLayout(section, 0);
    m_noSpoilers = checkBox(u"noSpoilers"_s, u"No Spoilers Mode"_s, section);
    connect(m_noSpoilers, &QCheckBox::clicked, this, [this](bool checked) { m_viewModel->setNoSpoilers(checked); });
    column->addWidget(m_noSpoilers);
    // The line belongs to the checkbox's label, so it starts where the label's text does.
    QLabel *detail = label(u"noSpoilersDetail"_s, u"Hides scores for live and completed games"_s, 10, section);
    const int indent = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, m_noSpoilers)
        + style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, m_noSpoilers);
    detail->setContentsMargins(indent, 0, 0, 0);
    m_noSpoilers->setAccessibleDescription(detail->text());
    m_secondaryLabels.append(detail);
    column->addWidget(detail);

    auto *delayRow = new QHBoxLayout;
    delayRow->setContentsMargins(0, 6, 0, 0);
    m_streamDelay = pickerRow(delayRow, u"streamDelayLabel"_s, u"Stream delay"_s, u"streamDelayPicker"_s, section);
    for (int seconds : ScheduleViewModel::streamDelayChoices)
        m_streamDelay->addItem(streamDelayText(std::chrono::seconds(seconds)), seconds);
    connect(m_streamDelay, &QComboBox::activated, this, [this](int index) {
        m_viewModel->setStreamDelay(std::chrono::seconds(m_streamDelay->itemData(index).toInt()));
    });
    column->addLayout(delayRow);
    QLabel *delayDetail = label(u"streamDelayDetail"_s,
        u"Live games, their scores and alerts wait this long to match your stream"_s, 10, section);
    m_streamDelay->setAccessibleDescription(delayDetail->text());
    m_secondaryLabels.append(delayDetail);
    column->addWidget(delayDetail);
    return section;
}

QString streamDelayText(std::chrono::seconds delay)
{
    if (delay.count() == 0) return u"Off"_s;
    if (delay.count() > 90) return u"%1 min"_s.arg(delay.count() / 60);
    return u"%1 s"_s.arg(delay.count());
}

QWidget *SettingsView::buildStartOnLogin(QWidget *parent)
{
    auto *section = new QWidget(parent);
    section->setObjectName(u"startOnLoginSection"_s);
    QVBoxLayout *column = sectionLayout(section);
    m_startOnLogin = checkBox(u"startOnLogin"_s, u"Start on login"_s, section);
    connect(m_startOnLogin, &QCheckBox::clicked, this, [this](bool checked) { m_loginItem->setEnabled(checked); });
    column->addWidget(m_startOnLogin);
    m_loginStatus = label(u"loginStatus"_s, {}, 10, section);
    m_secondaryLabels.append(m_loginStatus);
    column->addWidget(m_loginStatus);
    m_openLoginItems = button(u"openLoginItems"_s, u"Open Startup Applications"_s, section);
    connect(m_openLoginItems, &QPushButton::clicked, this, [this] { m_loginItem->openLoginItemsSettings(); });
    column->addWidget(m_openLoginItems, 0, Qt::AlignLeft);
    return section;
}

QWidget *SettingsView::buildNotifications(QWidget *parent)
{
    auto *section = new QWidget(parent);
    section->setObjectName(u"notificationsSection"_s);
    QVBoxLayout *column = sectionLayout(section);
    m_notifications = checkBox(u"notifications"_s, u"Game Start Notifications"_s, section);
    connect(m_notifications, &QCheckBox::clicked, this,
        [this](bool checked) { m_viewModel->setNotificationsEnabled(checked); });
    column->addWidget(m_notifications);

    m_leadTime = new QWidget(section);
    m_leadTime->setObjectName(u"leadTime"_s);
    auto *row = new QHBoxLayout(m_leadTime);
    row->setContentsMargins(0, 0, 0, 0);
    m_leadMinutes = pickerRow(row, u"leadTimeLabel"_s, u"Alert before game"_s, u"leadPicker"_s, m_leadTime);
    for (qint64 minutes : leadMinutesChoices)
        m_leadMinutes->addItem(u"%1 minutes"_s.arg(minutes), minutes);
    connect(m_leadMinutes, &QComboBox::activated, this,
        [this](int index) { m_viewModel->setNotificationLeadMinutes(m_leadMinutes->itemData(index).toLongLong()); });
    column->addWidget(m_leadTime);

    // Alerts while the club plays; a score in an alert would spoil what No Spoilers Mode hides.
    m_gameEvents = new QWidget(section);
    m_gameEvents->setObjectName(u"gameEventAlerts"_s);
    auto *events = new QVBoxLayout(m_gameEvents);
    events->setContentsMargins(0, 0, 0, 0);
    events->setSpacing(4);
    m_scoringPlays = checkBox(u"scoringPlayAlerts"_s, u"Scoring plays"_s, m_gameEvents);
    connect(m_scoringPlays, &QCheckBox::clicked, this,
        [this](bool checked) { m_viewModel->setScoringPlayAlerts(checked); });
    events->addWidget(m_scoringPlays);
    m_finalScore = checkBox(u"finalScoreAlerts"_s, u"Final score"_s, m_gameEvents);
    connect(
        m_finalScore, &QCheckBox::clicked, this, [this](bool checked) { m_viewModel->setFinalScoreAlerts(checked); });
    events->addWidget(m_finalScore);
    m_gameEventsHidden = label(u"gameEventAlertsHidden"_s,
        u"Runs and final scores are not alerted while No Spoilers Mode is on."_s, 10, m_gameEvents);
    m_secondaryLabels.append(m_gameEventsHidden);
    events->addWidget(m_gameEventsHidden);
    column->addWidget(m_gameEvents);

    m_notificationStatus = label(u"notificationStatus"_s, {}, 10, section);
    m_secondaryLabels.append(m_notificationStatus);
    column->addWidget(m_notificationStatus);
    m_grantPermission = button(u"grantPermission"_s, u"Grant Permission"_s, section);
    connect(m_grantPermission, &QPushButton::clicked, this, [this] { m_viewModel->grantNotificationPermission(); });
    column->addWidget(m_grantPermission, 0, Qt::AlignLeft);
    m_openSystemSettings = button(u"openSystemSettings"_s, u"Open Notification Settings"_s, section);
    connect(m_openSystemSettings, &QPushButton::clicked, this, &openNotificationSettings);
    column->addWidget(m_openSystemSettings, 0, Qt::AlignLeft);
    return section;
}

QWidget *SettingsView::buildUpdates(QWidget *parent)
{
    auto *section = new QWidget(parent);
    section->setObjectName(u"updatesSection"_s);
    QVBoxLayout *column = sectionLayout(section);
    m_updatesByDistribution
        = label(u"updatesByDistribution"_s, u"Updates are provided by your distribution"_s, 12, section);
    column->addWidget(m_updatesByDistribution);

    m_updateChecks = new QWidget(section);
    m_updateChecks->setObjectName(u"updateChecks"_s);
    QVBoxLayout *checks = sectionLayout(m_updateChecks);
    m_automaticallyChecks = checkBox(u"automaticallyChecks"_s, u"Automatically check for updates"_s, m_updateChecks);
    connect(m_automaticallyChecks, &QCheckBox::clicked, this,
        [this](bool checked) { m_updater->setAutomaticallyChecks(checked); });
    checks->addWidget(m_automaticallyChecks);
    m_lastChecked = label(u"lastChecked"_s, {}, 10, m_updateChecks);
    m_secondaryLabels.append(m_lastChecked);
    checks->addWidget(m_lastChecked);
    column->addWidget(m_updateChecks);

    m_version = label(u"version"_s, {}, 10, section);
    m_secondaryLabels.append(m_version);
    column->addWidget(m_version);
    m_checkForUpdates = button(u"checkForUpdates"_s, u"Check for Updates\u2026"_s, section);
    connect(m_checkForUpdates, &QPushButton::clicked, this, [this] { m_updater->checkForUpdates(); });
    column->addWidget(m_checkForUpdates, 0, Qt::AlignLeft);
    return section;
}

QWidget *SettingsView::buildDebug(QWidget *parent)
{
    m_debug = new QWidget(parent);
    m_debug->setObjectName(u"debugSection"_s);
    QVBoxLayout *column = sectionLayout(m_debug);
    QLabel *title = label(u"debugLabel"_s, u"Debug"_s, 11, m_debug, QFont::DemiBold);
    m_secondaryLabels.append(title);
    column->addWidget(title);
    m_sendTest = button(u"sendTestNotification"_s, u"Send Test Notification"_s, m_debug);
    connect(m_sendTest, &QPushButton::clicked, this, [this] { m_viewModel->sendTestNotification(); });
    column->addWidget(m_sendTest, 0, Qt::AlignLeft);
    m_debugStatus = label(u"debugStatus"_s, {}, 10, m_debug);
    m_secondaryLabels.append(m_debugStatus);
    column->addWidget(m_debugStatus);
    return m_debug;
}

void SettingsView::logoClicked()
{
    if (!m_logoClicks.click(monotonicMsecs(), QApplication::doubleClickInterval())) return;
    m_isShowingDebugArea = !m_isShowingDebugArea;
    update();
}

void SettingsView::update()
{
    const auto selectValue = [](QComboBox *picker, qint64 value) {
        const int index = picker->findData(value);
        if (picker->currentIndex() != index) picker->setCurrentIndex(index);
    };
    selectValue(m_team, m_viewModel->favoriteTeamId());
    m_myTeams->refresh();
    m_noSpoilers->setChecked(m_viewModel->noSpoilers());
    selectValue(m_streamDelay, m_viewModel->streamDelay().count());

    m_startOnLogin->setChecked(m_loginItem->isEnabled());
    m_loginStatus->setText(m_loginItem->loginStatusText());
    // The lines under a checkbox or button describe it.
    m_startOnLogin->setAccessibleDescription(m_loginStatus->text());
    m_openLoginItems->setVisible(m_loginItem->status() == LoginItemService::Status::RequiresApproval);

    const bool notificationsOn = m_viewModel->notificationsEnabled();
    m_notifications->setChecked(notificationsOn);
    m_leadTime->setVisible(notificationsOn);
    m_gameEvents->setVisible(notificationsOn);
    const bool eventAlerts = m_viewModel->gameEventAlertsAvailable();
    m_scoringPlays->setEnabled(eventAlerts);
    m_scoringPlays->setChecked(eventAlerts && m_viewModel->scoringPlayAlerts());
    m_finalScore->setEnabled(eventAlerts);
    m_finalScore->setChecked(eventAlerts && m_viewModel->finalScoreAlerts());
    m_gameEventsHidden->setVisible(!eventAlerts);
    // A switch that cannot be turned on says why.
    for (QCheckBox *box : { m_scoringPlays, m_finalScore })
        box->setAccessibleDescription(eventAlerts ? QString() : m_gameEventsHidden->text());
    selectValue(m_leadMinutes, m_viewModel->notificationLeadMinutes());
    m_notificationStatus->setText(m_viewModel->notificationStatusText());
    m_notifications->setAccessibleDescription(m_notificationStatus->text());
    const NotificationButton shown = notificationButton(m_viewModel->notificationSyncStatus().kind());
    m_grantPermission->setVisible(shown == NotificationButton::GrantPermission);
    m_openSystemSettings->setVisible(shown == NotificationButton::OpenSystemSettings);

    const bool checksAvailable = m_updater->updateChecksAvailable();
    m_updatesByDistribution->setVisible(!checksAvailable);
    m_updateChecks->setVisible(checksAvailable);
    m_checkForUpdates->setVisible(checksAvailable);
    m_automaticallyChecks->setChecked(m_updater->automaticallyChecks());
    const std::optional<QDateTime> lastCheck = m_updater->lastCheckDate();
    m_lastChecked->setVisible(lastCheck.has_value());
    if (lastCheck) m_lastChecked->setText(lastCheckedText(*lastCheck, QLocale()));
    m_automaticallyChecks->setAccessibleDescription(lastCheck ? m_lastChecked->text() : QString());
    m_version->setText(u"Version "_s + m_updater->versionDescription());
    m_checkForUpdates->setAccessibleDescription(m_version->text());
    m_checkForUpdates->setEnabled(m_updater->canCheckForUpdates());

    m_debugDivider->setVisible(m_isShowingDebugArea);
    m_debug->setVisible(m_isShowingDebugArea);
    m_sendTest->setEnabled(!m_viewModel->isSchedulingTestNotification());
    const std::optional<QString> &debugText = m_viewModel->debugNotificationStatusText();
    m_debugStatus->setVisible(debugText.has_value());
    m_debugStatus->setText(debugText.value_or(QString()));
}

void SettingsView::applyColors()
{
    const QColor secondary = theme::secondary(palette());
    for (QLabel *secondaryLabel : m_secondaryLabels)
        theme::setTextColor(secondaryLabel, secondary);
}

void SettingsView::showEvent(QShowEvent *event)
{
    QScrollArea::showEvent(event);
    m_loginItem->refresh();
}

void SettingsView::changeEvent(QEvent *event)
{
    QScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyColors();
}
