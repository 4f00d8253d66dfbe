#include "ui/menucontentview.h"

#include "schedule/scheduleviewmodel.h"
#include "ui/accessibility.h"
#include "ui/datenavigationview.h"
#include "ui/gamedetailpanelview.h"
#include "ui/gamelistview.h"
#include "ui/gamerowview.h"
#include "ui/localkeymonitor.h"
#include "ui/plainbutton.h"
#include "ui/progressspinner.h"
#include "ui/standingsview.h"
#include "ui/symbols.h"
#include "ui/theme.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int captionPixelSize = 11;
constexpr int titleSymbolSize = 22;

Symbol tabSymbol(ScheduleViewModel::Tab tab)
{
    switch (tab) {
    case ScheduleViewModel::Tab::Schedule:
        return Symbol::Calendar;
    case ScheduleViewModel::Tab::Standings:
        return Symbol::ListNumber;
    case ScheduleViewModel::Tab::Settings:
        return Symbol::Gearshape;
    }
    return Symbol::Calendar;
}

// One tab of the bar: a symbol and the tab's name, on a tinted rounded fill while it is the current tab.
class TabButton : public FlatButton<QAbstractButton> {
public:
    TabButton(ScheduleViewModel::Tab tab, QWidget *parent)
        : FlatButton<QAbstractButton>(parent)
        , m_tab(tab)
    {
        setText(ScheduleViewModel::tabText(tab));
        setObjectName(u"tab"_s + text());
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        accessibility::setRole(this, QAccessible::PageTab);
        connect(this, &QAbstractButton::toggled, this, [this] { accessibility::notify(this, QAccessible::Selection); });
    }

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(theme::font(11, QFont::DemiBold));
        return { 12 + 4 + metrics.horizontalAdvance(text()) + 12, metrics.height() + 2 * 6 };
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool current = isChecked();
        if (current) {
            QPainterPath shape;
            shape.addRoundedRect(QRectF(rect()).adjusted(2, 0, -2, 0), 5, 5);
            painter.fillPath(shape, theme::accent(palette(), 0.15));
        }
        if (hasKeyboardFocus()) paintKeyboardFocusRing(painter, *this, QRectF(rect()).adjusted(2.5, 0.5, -2.5, -0.5));
        const QFont font = theme::font(11, current ? QFont::DemiBold : QFont::Normal);
        const QFontMetrics metrics(font);
        const int contentWidth = 12 + 4 + metrics.horizontalAdvance(text());
        const int left = (width() - contentWidth) / 2;
        const QColor color = theme::primary(palette());
        const QPixmap symbol = symbolPixmap(tabSymbol(m_tab), 10, color, devicePixelRatioF());
        painter.drawPixmap(QPointF(left + 1, (height() - 10) / 2.0), symbol);
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(QRect(left + 16, 0, width() - left - 16, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }

private:
    ScheduleViewModel::Tab m_tab;
};

// A one-pixel line across the window between its bands.
QWidget *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

// Arrow and keypad keys carry the keypad flag; it is not one of the user's modifiers.
constexpr Qt::KeyboardModifiers userModifiers
    = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

QToolButton *captionButton(const QString &objectName, QWidget *parent)
{
    auto *button = new PlainButton(parent);
    button->setObjectName(objectName);
    button->setFont(theme::font(captionPixelSize));
    return button;
}

} // namespace

MenuContentView::MenuContentView(ScheduleViewModel *viewModel, OpenURL openURL, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_openURL(std::move(openURL))
{
    theme::useSlimScrollBars(this);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_tabBar = buildTabBar();
    column->addWidget(m_tabBar);
    m_tabDivider = divider(this);
    column->addWidget(m_tabDivider);

    m_tabs = new QStackedWidget(this);
    m_tabs->setObjectName(u"tabs"_s);
    m_tabs->addWidget(buildSchedulePage());
    m_standingsPage = new StandingsView(m_tabs);
    m_standingsPage->setObjectName(u"standingsPage"_s);
    connect(m_standingsPage, &StandingsView::wildCardChosen, this,
        [this](bool wildCard) { m_viewModel->setStandingsShowsWildCard(wildCard); });
    connect(m_standingsPage, &StandingsView::retryRequested, this, [this] {
        auto task = m_viewModel->loadStandings();
        Q_UNUSED(task);
    });
    m_tabs->addWidget(m_standingsPage);
    m_settingsPage = new QWidget(m_tabs);
    m_settingsPage->setObjectName(u"settingsPage"_s);
    (new QVBoxLayout(m_settingsPage))->setContentsMargins(0, 0, 0, 0);
    m_tabs->addWidget(m_settingsPage);
    column->addWidget(m_tabs, 1);

    m_inlineBoxScoreSlot = new QWidget(this);
    m_inlineBoxScoreSlot->setObjectName(u"inlineBoxScore"_s);
    auto *inlineLayout = new QVBoxLayout(m_inlineBoxScoreSlot);
    inlineLayout->setContentsMargins(0, 0, 0, 0);
    m_inlineBoxScoreSlot->hide();
    column->addWidget(m_inlineBoxScoreSlot, 1);
    m_inlinePlaysSlot = new QWidget(this);
    m_inlinePlaysSlot->setObjectName(u"inlinePlays"_s);
    (new QVBoxLayout(m_inlinePlaysSlot))->setContentsMargins(0, 0, 0, 0);
    m_inlinePlaysSlot->hide();
    column->addWidget(m_inlinePlaysSlot, 1);

    column->addWidget(divider(this));
    column->addWidget(buildFooter());

    connect(m_viewModel, &ScheduleViewModel::changed, this, &MenuContentView::update);
    applyColors();
    update();
}

MenuContentView::~MenuContentView() = default;

QWidget *MenuContentView::buildTabBar()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(u"tabBar"_s);
    accessibility::setRole(bar, QAccessible::PageTabList);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 6, 6, 6);
    row->setSpacing(2);
    for (int index = 0; index < 3; ++index) {
        auto *button = new TabButton(ScheduleViewModel::allTabs[index], bar);
        connect(button, &QAbstractButton::clicked, this, [this, index] { tabClicked(index); });
        row->addWidget(button, 1);
        m_tabButtons.append(button);
    }
    return bar;
}

QWidget *MenuContentView::buildSchedulePage()
{
    auto *page = new QWidget(this);
    page->setObjectName(u"schedulePage"_s);
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_dateNavigation = new DateNavigationView(m_viewModel, page);
    column->addWidget(m_dateNavigation);

    m_scheduleStates = new QStackedWidget(page);
    m_scheduleStates->setObjectName(u"scheduleStates"_s);

    auto *loading = new QWidget(m_scheduleStates);
    auto *loadingLayout = new QVBoxLayout(loading);
    auto *spinner = new ProgressSpinner(26, loading);
    spinner->setObjectName(u"loadingIndicator"_s);
    loadingLayout->addWidget(spinner, 0, Qt::AlignCenter);
    m_scheduleStates->addWidget(loading);

    m_errorSymbol = new QLabel;
    m_errorText = new QLabel;
    m_errorText->setObjectName(u"errorMessage"_s);
    auto *retry = new QToolButton;
    retry->setObjectName(u"retry"_s);
    retry->setText(u"Retry"_s);
    retry->setFont(theme::font(captionPixelSize));
    retry->setCursor(Qt::PointingHandCursor);
    connect(retry, &QToolButton::clicked, this, &MenuContentView::startRefresh);
    m_scheduleStates->addWidget(centredBlock(m_errorSymbol, m_errorText, retry));

    m_emptySymbol = new QLabel;
    m_emptyText = new QLabel(u"No games scheduled"_s);
    m_emptyText->setObjectName(u"emptyMessage"_s);
    m_scheduleStates->addWidget(centredBlock(m_emptySymbol, m_emptyText, nullptr));

    auto *gameArea = new QWidget(m_scheduleStates);
    gameArea->setObjectName(u"gameArea"_s);
    auto *areaLayout = new QVBoxLayout(gameArea);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    areaLayout->setSpacing(0);
    m_detailSlot = new QWidget(gameArea);
    m_detailSlot->setObjectName(u"detailSlot"_s);
    auto *detailLayout = new QVBoxLayout(m_detailSlot);
    detailLayout->setContentsMargins(8, 4, 8, 4);
    m_detailPanel = new GameDetailPanelView(m_detailSlot);
    detailLayout->addWidget(m_detailPanel);
    connect(m_detailPanel, &GameDetailPanelView::openPlaysRequested, this, [this] {
        if (const auto game = m_viewModel->selectedGame()) openPlays(game->gamePk);
    });
    connect(m_detailPanel, &GameDetailPanelView::openExternalRequested, this, [this] { openSelectedGame(); });
    connect(m_detailPanel, &GameDetailPanelView::openBoxScoreRequested, this, [this] {
        if (const auto game = m_viewModel->selectedGame()) openBoxScore(game->gamePk);
    });
    connect(m_detailPanel, &GameDetailPanelView::closeRequested, m_viewModel, &ScheduleViewModel::closeGameDetail);
    connect(m_detailPanel, &GameDetailPanelView::showScoreRequested, this, [this] {
        if (const auto game = m_viewModel->selectedGame()) m_viewModel->revealScore(game->gamePk);
    });
    m_detailSlot->hide();
    areaLayout->addWidget(m_detailSlot);
    m_gameList = new GameListView(gameArea);
    connect(m_gameList, &GameListView::gameClicked, m_viewModel, &ScheduleViewModel::selectGame);
    areaLayout->addWidget(m_gameList, 1);
    m_scheduleStates->addWidget(gameArea);

    column->addWidget(m_scheduleStates, 1);
    return page;
}

QWidget *MenuContentView::centredBlock(QLabel *symbol, QLabel *text, QAbstractButton *button)
{
    auto *block = new QWidget(m_scheduleStates);
    auto *layout = new QVBoxLayout(block);
    layout->setSpacing(8);
    layout->addStretch();
    symbol->setParent(block);
    symbol->setAlignment(Qt::AlignCenter);
    layout->addWidget(symbol);
    text->setParent(block);
    text->setFont(theme::font(captionPixelSize));
    text->setAlignment(Qt::AlignCenter);
    text->setWordWrap(true);
    layout->addWidget(text);
    if (button) {
        button->setParent(block);
        layout->addWidget(button, 0, Qt::AlignCenter);
    }
    layout->addStretch();
    return block;
}

QWidget *MenuContentView::buildFooter()
{
    auto *footer = new QWidget(this);
    footer->setObjectName(u"footer"_s);
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(8, 4, 8, 4);
    m_quit = captionButton(u"quit"_s, footer);
    m_quit->setText(u"Quit"_s);
    connect(m_quit, &QToolButton::clicked, this, &MenuContentView::quitRequested);
    row->addWidget(m_quit);
    row->addStretch();
    m_footerSpinner = new ProgressSpinner(14, footer);
    m_footerSpinner->setObjectName(u"footerIndicator"_s);
    row->addWidget(m_footerSpinner);
    m_refresh = captionButton(u"refresh"_s, footer);
    m_refresh->setToolTip(u"Refresh"_s);
    connect(m_refresh, &QToolButton::clicked, this, &MenuContentView::startRefresh);
    row->addWidget(m_refresh);
    return footer;
}

void MenuContentView::tabClicked(int index)
{
    const auto tab = ScheduleViewModel::allTabs[index];
    m_viewModel->setSelectedTab(tab);
    // Standings load the first time their tab opens; afterwards the refreshes keep them current.
    if (tab == ScheduleViewModel::Tab::Standings && m_viewModel->standings().empty()) {
        auto task = m_viewModel->loadStandings();
        Q_UNUSED(task);
    }
    update();
}

void MenuContentView::startRefresh()
{
    auto task = m_viewModel->refresh();
    Q_UNUSED(task);
}

MenuContentView::ScheduleState MenuContentView::scheduleState() const
{
    if (m_viewModel->isLoading() && m_viewModel->games().empty()) return ScheduleState::Loading;
    if (m_viewModel->errorMessage()) return ScheduleState::Error;
    if (m_viewModel->games().empty()) return ScheduleState::Empty;
    return ScheduleState::Games;
}

void MenuContentView::update()
{
    const bool inlinePlays = m_viewModel->inlinePlaysGameId().has_value();
    // The plays, opened from the card, lie over the box score.
    const bool inlineBoxScore = m_viewModel->inlineBoxScoreGameId().has_value() && !inlinePlays;
    const bool inlinePage = inlineBoxScore || inlinePlays;
    const bool switched
        = inlineBoxScore == m_inlineBoxScoreSlot->isHidden() || inlinePlays == m_inlinePlaysSlot->isHidden();
    m_tabBar->setVisible(!inlinePage);
    m_tabDivider->setVisible(!inlinePage);
    m_tabs->setVisible(!inlinePage);
    m_inlineBoxScoreSlot->setVisible(inlineBoxScore);
    m_inlinePlaysSlot->setVisible(inlinePlays);

    const auto tab = m_viewModel->selectedTab();
    for (int index = 0; index < m_tabButtons.size(); ++index)
        m_tabButtons[index]->setChecked(ScheduleViewModel::allTabs[index] == tab);
    m_tabs->setCurrentIndex(static_cast<int>(tab));
    if (tab == ScheduleViewModel::Tab::Standings) {
        m_standingsPage->setFollowedTeamIds(m_viewModel->followedTeamIds());
        m_standingsPage->setStandings(m_viewModel->standings(), m_viewModel->favoriteTeamId(),
            m_viewModel->standingsShowsWildCard(), m_viewModel->standingsLoadFailed());
    }

    const ScheduleState state = scheduleState();
    m_scheduleStates->setCurrentIndex(static_cast<int>(state));
    if (state == ScheduleState::Error) m_errorText->setText(m_viewModel->errorMessage().value_or(QString()));
    if (state == ScheduleState::Games) {
        m_gameList->setGames(m_viewModel->sortedGames(), m_viewModel->noSpoilers(), m_viewModel->favoriteTeamId(),
            m_viewModel->selectedGameId(), m_viewModel->followedTeamIds());
    }
    const std::optional<Game> selected = m_viewModel->selectedGame();
    const bool showDetail = state == ScheduleState::Games && m_viewModel->isShowingSelectedGameDetail() && selected;
    if (showDetail) {
        m_detailPanel->setInputs(*selected, m_viewModel->selectedGameDetail(),
            m_viewModel->isLoadingSelectedGameDetail(), m_viewModel->selectedGameDetailError(),
            m_viewModel->hidesScore(selected->gamePk));
    }
    m_detailSlot->setVisible(showDetail);

    // Keys belong to the list exactly while the list is on screen.
    const bool gameAreaShown = !inlinePage && tab == ScheduleViewModel::Tab::Schedule && state == ScheduleState::Games;
    if (gameAreaShown && !m_keyMonitor)
        m_keyMonitor
            = std::make_unique<LocalKeyMonitor>(this, [this](const QKeyEvent &event) { return handleKeyDown(event); });
    else if (!gameAreaShown)
        m_keyMonitor.reset();
    const bool pageShown = inlinePage || tab == ScheduleViewModel::Tab::Standings;
    if (pageShown && !m_pageKeyMonitor)
        m_pageKeyMonitor
            = std::make_unique<LocalKeyMonitor>(this, [this](const QKeyEvent &event) { return handlePageKey(event); });
    else if (!pageShown)
        m_pageKeyMonitor.reset();

    m_footerSpinner->setVisible(m_viewModel->isLoading());
    m_refresh->setVisible(!m_viewModel->isLoading());
    keepFooterLastInTabOrder();
    if (switched) focusAfterSwitch(inlinePage);
}

// Opening or leaving the box score hides the control that had the focus. The focus goes to the way back from
// the box score, or back to the game it showed, instead of to whatever Qt finds next.
void MenuContentView::focusAfterSwitch(bool inlinePage)
{
    QWidget *target = nullptr;
    if (inlinePage) {
        QWidget *page = m_inlinePlaysSlot->isVisible() ? m_inlinePlaysSlot : m_inlineBoxScoreSlot;
        const QList<QAbstractButton *> buttons = page->findChildren<QAbstractButton *>();
        if (!buttons.isEmpty()) target = buttons.first();
    } else if (m_viewModel->selectedTab() == ScheduleViewModel::Tab::Schedule
        && scheduleState() == ScheduleState::Games) {
        target = m_gameList->currentRow();
    }
    if (!target) target = m_tabButtons[static_cast<int>(m_viewModel->selectedTab())];
    target->setFocus(Qt::OtherFocusReason);
}

// Tab runs through the tab bar, the page and then the footer. The settings and the inline box score are put
// in after the footer is made, and game rows come and go, so Qt would put them after the footer.
void MenuContentView::keepFooterLastInTabOrder()
{
    QWidget *top = window();
    const auto takesFocus = [](QWidget *widget) { return widget->focusPolicy() != Qt::NoFocus; };
    bool footerLast = true;
    for (QWidget *next = m_refresh->nextInFocusChain(); next != top && footerLast; next = next->nextInFocusChain())
        footerLast = !takesFocus(next);
    if (footerLast) return;
    QWidget *last = top->previousInFocusChain();
    while (last != top && (last == m_quit || last == m_refresh || !takesFocus(last)))
        last = last->previousInFocusChain();
    if (last == top) return;
    QWidget::setTabOrder(last, m_quit);
    QWidget::setTabOrder(m_quit, m_refresh);
}

bool MenuContentView::handleKeyDown(const QKeyEvent &event)
{
    if (m_viewModel->selectedTab() != ScheduleViewModel::Tab::Schedule) return false;
    if (event.modifiers() & userModifiers) return false;
    if (m_viewModel->games().empty()) return false;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_detailPanel->showScoreHasFocus()) return false;
        // A held key (or one whose release went astray) repeats its press: one press opens one page.
        if (event.isAutoRepeat()) return true;
        return openSelectedGame();
    case Qt::Key_Escape:
        m_viewModel->closeGameDetail();
        return true;
    case Qt::Key_Down:
        m_viewModel->moveSelection(+1);
        m_gameList->focusSelectedRow();
        return true;
    case Qt::Key_Up:
        m_viewModel->moveSelection(-1);
        m_gameList->focusSelectedRow();
        return true;
    default:
        return false;
    }
}

bool MenuContentView::handlePageKey(const QKeyEvent &event)
{
    if (event.modifiers() & userModifiers) return false;
    const bool inlinePlays = m_viewModel->inlinePlaysGameId().has_value();
    const bool inlineBoxScore = m_viewModel->inlineBoxScoreGameId().has_value();
    if (inlinePlays && event.key() == Qt::Key_Escape) {
        m_viewModel->setInlinePlaysGameId(std::nullopt);
        return true;
    }
    if (inlineBoxScore && event.key() == Qt::Key_Escape) {
        m_viewModel->setInlineBoxScoreGameId(std::nullopt);
        return true;
    }
    QAbstractSlider::SliderAction action = QAbstractSlider::SliderNoAction;
    switch (event.key()) {
    case Qt::Key_Up:
        action = QAbstractSlider::SliderSingleStepSub;
        break;
    case Qt::Key_Down:
        action = QAbstractSlider::SliderSingleStepAdd;
        break;
    case Qt::Key_PageUp:
        action = QAbstractSlider::SliderPageStepSub;
        break;
    case Qt::Key_PageDown:
        action = QAbstractSlider::SliderPageStepAdd;
        break;
    case Qt::Key_Home:
        action = QAbstractSlider::SliderToMinimum;
        break;
    case Qt::Key_End:
        action = QAbstractSlider::SliderToMaximum;
        break;
    default:
        return false;
    }
    // The page's own scrolling area: the box score's column, or the standings' tables.
    const QList<QAbstractScrollArea *> areas = (inlinePlays ? m_inlinePlaysSlot
            : inlineBoxScore                                ? m_inlineBoxScoreSlot
                                                            : static_cast<QWidget *>(m_standingsPage))
                                                   ->findChildren<QAbstractScrollArea *>();
    const auto shown
        = std::find_if(areas.begin(), areas.end(), [](QAbstractScrollArea *area) { return area->isVisible(); });
    if (shown == areas.end()) return false;
    (*shown)->verticalScrollBar()->triggerAction(action);
    return true;
}

bool MenuContentView::openSelectedGame()
{
    const auto game = m_viewModel->selectedGame();
    if (!game) return false;
    const auto url = game->externalURL();
    if (!url) return false;
    m_openURL(*url);
    return true;
}

void MenuContentView::openBoxScore(qint64 gamePk)
{
    m_viewModel->setInlineBoxScoreGameId(gamePk);
}

void MenuContentView::openPlays(qint64 gamePk)
{
    m_viewModel->setInlinePlaysGameId(gamePk);
}

void MenuContentView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange) applyColors();
    QWidget::changeEvent(event);
}

void MenuContentView::applyColors()
{
    const QColor secondary = theme::secondary(palette());
    const qreal ratio = devicePixelRatioF();
    m_errorSymbol->setPixmap(symbolPixmap(Symbol::ExclamationTriangle, titleSymbolSize, secondary, ratio));
    m_emptySymbol->setPixmap(symbolPixmap(Symbol::Baseball, titleSymbolSize, secondary, ratio));
    for (QWidget *label :
        { static_cast<QWidget *>(m_errorText), static_cast<QWidget *>(m_emptyText), static_cast<QWidget *>(m_quit) })
        theme::setTextColor(label, secondary);
    m_refresh->setIcon(symbolIcon(Symbol::ArrowClockwise, captionPixelSize + 2, secondary));
    m_refresh->setIconSize(QSize(captionPixelSize + 2, captionPixelSize + 2));
}
