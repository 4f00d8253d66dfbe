#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

class DateNavigationView;
class GameDetailPanelView;
class GameListView;
class LocalKeyMonitor;
class ProgressSpinner;
class QAbstractButton;
class QKeyEvent;
class QLabel;
class QStackedWidget;
class QToolButton;
class ScheduleViewModel;
class StandingsView;

// The window's content: the tab bar, the current tab, and the footer with Quit and refresh. It keeps no
// state of its own; everything it shows is read from the view model on every change.
class MenuContentView : public QWidget {
    Q_OBJECT

public:
    using OpenURL = std::function<void(const QUrl &)>;

    // What the schedule tab shows, the first that applies.
    enum class ScheduleState { Loading, Error, Empty, Games };

    MenuContentView(ScheduleViewModel *viewModel, OpenURL openURL, QWidget *parent = nullptr);
    ~MenuContentView() override;

    ScheduleState scheduleState() const;
    // The key handling of the game list; true when the press was handled and must go no further.
    bool handleKeyDown(const QKeyEvent &event);
    // The keys of a page that scrolls as a whole (the inline box score, the standings): Escape leaves the box
    // score, the arrows, Page Up/Down, Home and End scroll.
    bool handlePageKey(const QKeyEvent &event);
    // Opens the selected game's page in the browser; false when there is no game or no page.
    bool openSelectedGame();
    void openBoxScore(qint64 gamePk);
    void openPlays(qint64 gamePk);

    GameListView *gameList() const { return m_gameList; }
    DateNavigationView *dateNavigation() const { return m_dateNavigation; }
    GameDetailPanelView *detailPanel() const { return m_detailPanel; }
    // Places that the settings and the inline box score fill.
    QWidget *detailSlot() const { return m_detailSlot; }
    StandingsView *standingsPage() const { return m_standingsPage; }
    QWidget *settingsPage() const { return m_settingsPage; }
    QWidget *inlineBoxScoreSlot() const { return m_inlineBoxScoreSlot; }
    QWidget *inlinePlaysSlot() const { return m_inlinePlaysSlot; }
    bool isKeyMonitorActive() const { return m_keyMonitor != nullptr; }

Q_SIGNALS:
    void quitRequested();

protected:
    void changeEvent(QEvent *event) override;

private:
    QWidget *buildTabBar();
    QWidget *buildSchedulePage();
    QWidget *buildFooter();
    QWidget *centredBlock(QLabel *symbol, QLabel *text, QAbstractButton *button);
    void tabClicked(int index);
    void update();
    void applyColors();
    void startRefresh();
    void keepFooterLastInTabOrder();
    void focusAfterSwitch(bool inlinePage);

    ScheduleViewModel *m_viewModel;
    OpenURL m_openURL;

    QWidget *m_tabBar = nullptr;
    QList<QAbstractButton *> m_tabButtons;
    QWidget *m_tabDivider = nullptr;
    QStackedWidget *m_tabs = nullptr;
    QWidget *m_inlineBoxScoreSlot = nullptr;
    QWidget *m_inlinePlaysSlot = nullptr;

    DateNavigationView *m_dateNavigation = nullptr;
    QStackedWidget *m_scheduleStates = nullptr;
    QLabel *m_errorSymbol = nullptr;
    QLabel *m_errorText = nullptr;
    QLabel *m_emptySymbol = nullptr;
    QLabel *m_emptyText = nullptr;
    QWidget *m_detailSlot = nullptr;
    GameDetailPanelView *m_detailPanel = nullptr;
    GameListView *m_gameList = nullptr;
    StandingsView *m_standingsPage = nullptr;
    QWidget *m_settingsPage = nullptr;

    QToolButton *m_quit = nullptr;
    QToolButton *m_refresh = nullptr;
    ProgressSpinner *m_footerSpinner = nullptr;

    std::unique_ptr<LocalKeyMonitor> m_keyMonitor;
    std::unique_ptr<LocalKeyMonitor> m_pageKeyMonitor;
};
