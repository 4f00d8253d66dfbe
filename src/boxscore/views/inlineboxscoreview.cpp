#include "boxscore/views/inlineboxscoreview.h"

#include "boxscore/boxscoreviewmodel.h"
#include "boxscore/views/backbutton.h"
#include "boxscore/views/boxscoreview.h"
#include "schedule/scheduleviewmodel.h"
#include "ui/accessibility.h"
#include "ui/plainbutton.h"
#include "ui/progressspinner.h"
#include "ui/theme.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

// The symbol over the pregame card, in the secondary colour at reduced strength.
class BoxScoreSymbolImage : public QWidget {
public:
    BoxScoreSymbolImage(int pixelSize, QWidget *parent)
        : QWidget(parent)
        , m_pixelSize(pixelSize)
    {
        setFixedSize(pixelSize, pixelSize);
        accessibility::setRole(this, QAccessible::Graphic);
    }

    Symbol symbol() const { return m_symbol; }
    void setSymbol(Symbol symbol)
    {
        if (m_symbol == symbol) return;
        m_symbol = symbol;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QColor color = theme::secondary(palette());
        color.setAlphaF(color.alphaF() * 0.6f);
        QPainter painter(this);
        painter.drawPixmap(0, 0, symbolPixmap(m_symbol, m_pixelSize, color, devicePixelRatioF()));
    }

private:
    int m_pixelSize;
    Symbol m_symbol = Symbol::Baseball;
};

namespace {

constexpr int factLabelWidth = 64;
constexpr int loadingSpinnerDiameter = 26;

bool isPostponed(const Game &game)
{
    return game.status.detailedState.contains(u"postponed"_s, Qt::CaseInsensitive);
}

QLabel *plainLabel(const QString &name, const QFont &font, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    return label;
}

// A one-line text that gives up its middle to an ellipsis when the bar is too narrow.
class MiddleElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override { return QSize(0, QLabel::minimumSizeHint().height()); }
    QSize sizeHint() const override { return QSize(0, QLabel::sizeHint().height()); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(
            area, Qt::AlignLeft | Qt::AlignVCenter, fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
    }
};

// The last refresh failure, floating over the top of the box score on a translucent plate.
class ErrorNote : public QLabel {
public:
    explicit ErrorNote(QWidget *parent)
        : QLabel(parent)
    {
        setObjectName(u"errorNote"_s);
        setTextFormat(Qt::PlainText);
        setFont(theme::monospacedFont(9));
        setWordWrap(true);
        setMargin(6);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // Scrolling and clicks reach the box score under it.
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    // Centred at the top of the parent, 6 pixels down, as wide as the text up to the parent's width less a margin.
    void place()
    {
        const QWidget *page = parentWidget();
        const int available = std::max(40, page->width() - 24);
        const int wanted = fontMetrics().horizontalAdvance(text()) + 2 * margin() + 2;
        const int width = std::min(wanted, available);
        setGeometry((page->width() - width) / 2, 6, width, heightForWidth(width));
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor plate = palette().color(QPalette::Window);
        plate.setAlphaF(0.85f);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 4, 4);
        painter.fillPath(shape, plate);
        painter.end();
        QLabel::paintEvent(event);
    }
};

// The box score with the error note over it, kept in place when the page changes size.
class BoxScorePage : public QWidget {
public:
    BoxScorePage(BoxScoreView *view, ErrorNote *note, QWidget *parent)
        : QWidget(parent)
        , m_note(note)
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view);
        note->setParent(this);
        note->raise();
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        m_note->place();
    }

private:
    ErrorNote *m_note;
};

} // namespace

InlineBoxScoreView::InlineBoxScoreView(
    ScheduleViewModel *scheduleViewModel, BoxScoreViewModel *boxViewModel, QWidget *parent)
    : QWidget(parent)
    , m_scheduleViewModel(scheduleViewModel)
    , m_boxViewModel(boxViewModel ? boxViewModel : new BoxScoreViewModel(this))
    , m_followedGameId(scheduleViewModel->inlineBoxScoreGameId())
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildTopBar());
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    line->setForegroundRole(QPalette::Mid);
    column->addWidget(line);

    m_contents = new QStackedWidget(this);
    m_contents->setObjectName(u"contents"_s);
    m_contents->addWidget(new QWidget(m_contents));
    m_contents->addWidget(buildLoading());
    m_contents->addWidget(buildPregame());
    m_contents->addWidget(buildBoxScorePage());
    column->addWidget(m_contents, 1);

    connect(m_scheduleViewModel, &ScheduleViewModel::changed, this, &InlineBoxScoreView::scheduleChanged);
    connect(m_boxViewModel, &BoxScoreViewModel::changed, this, &InlineBoxScoreView::refresh);
    applyColors();
    refresh();
}

InlineBoxScoreView::~InlineBoxScoreView()
{
    // A view model handed in outlives this view, and polls only while the view is shown.
    m_boxViewModel->stopPolling();
}

QWidget *InlineBoxScoreView::buildTopBar()
{
    auto *bar = new QWidget(this);
    QHBoxLayout *row = topBarRow(bar, this, [this] { m_scheduleViewModel->setInlineBoxScoreGameId(std::nullopt); });
    m_title = new MiddleElidedLabel(bar);
    m_title->setObjectName(u"resultTitle"_s);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(theme::font(11));
    row->addWidget(m_title, 1, Qt::AlignVCenter);
    row->addStretch(0);
    return bar;
}

QWidget *InlineBoxScoreView::buildLoading()
{
    auto *page = new QWidget(m_contents);
    page->setObjectName(u"loading"_s);
    auto *stack = new QVBoxLayout(page);
    stack->setSpacing(0);
    stack->addStretch(1);
    m_loadingSpinner = new ProgressSpinner(loadingSpinnerDiameter, page);
    m_loadingSpinner->setObjectName(u"loadingIndicator"_s);
    stack->addWidget(m_loadingSpinner, 0, Qt::AlignHCenter);
    stack->addSpacing(8);
    m_loadingError = plainLabel(u"loadingError"_s, theme::font(9), page);
    m_loadingError->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_loadingError->setWordWrap(true);
    stack->addWidget(m_loadingError);
    stack->addStretch(1);
    return page;
}

QWidget *InlineBoxScoreView::buildPregame()
{
    auto *page = new QWidget(m_contents);
    page->setObjectName(u"pregame"_s);
    auto *card = new QVBoxLayout(page);
    card->setContentsMargins(16, 0, 16, 0);
    card->setSpacing(14);
    card->addStretch(1);

    auto *header = new QVBoxLayout;
    header->setSpacing(6);
    m_pregameSymbol = new BoxScoreSymbolImage(28, page);
    m_pregameSymbol->setObjectName(u"pregameSymbol"_s);
    header->addWidget(m_pregameSymbol, 0, Qt::AlignHCenter);
    m_pregameTitle = plainLabel(u"pregameTitle"_s, theme::font(14, QFont::DemiBold), page);
    m_pregameTitle->setAlignment(Qt::AlignHCenter);
    m_pregameTitle->setWordWrap(true);
    header->addWidget(m_pregameTitle);
    m_pregameSubtitle = plainLabel(u"pregameSubtitle"_s, theme::font(11), page);
    m_pregameSubtitle->setAlignment(Qt::AlignHCenter);
    m_pregameSubtitle->setWordWrap(true);
    header->addWidget(m_pregameSubtitle);
    card->addLayout(header);

    m_pregameFacts = new QWidget(page);
    m_pregameFacts->setObjectName(u"pregameFacts"_s);
    auto *facts = new QVBoxLayout(m_pregameFacts);
    facts->setContentsMargins(24, 0, 24, 0);
    facts->setSpacing(4);
    m_newDate = addFact(m_pregameFacts, u"newDate"_s, u"New Date"_s);
    m_venue = addFact(m_pregameFacts, u"venue"_s, u"Venue"_s);
    m_probables = addFact(m_pregameFacts, u"probables"_s, u"Probables"_s);
    m_series = addFact(m_pregameFacts, u"series"_s, u"Series"_s);
    m_tv = addFact(m_pregameFacts, u"tv"_s, u"TV"_s);
    card->addWidget(m_pregameFacts);
    card->addStretch(1);
    return page;
}

InlineBoxScoreView::Fact InlineBoxScoreView::addFact(QWidget *facts, const QString &name, const QString &label)
{
    Fact fact;
    fact.row = new QWidget(facts);
    fact.row->setObjectName(name + u"Fact"_s);
    auto *row = new QHBoxLayout(fact.row);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    // Label and value share one font size, so aligning their tops lines up their first baselines.
    fact.label = plainLabel(name + u"Label"_s, theme::font(10, QFont::DemiBold), fact.row);
    fact.label->setText(label);
    fact.label->setFixedWidth(factLabelWidth);
    row->addWidget(fact.label, 0, Qt::AlignTop);
    fact.value = plainLabel(name, theme::font(10), fact.row);
    fact.value->setWordWrap(true);
    row->addWidget(fact.value, 1, Qt::AlignTop);
    facts->layout()->addWidget(fact.row);
    return fact;
}

QWidget *InlineBoxScoreView::buildBoxScorePage()
{
    m_boxScoreView = new BoxScoreView(BoxScoreStyle::compact());
    m_boxScoreView->setObjectName(u"boxScoreView"_s);
    m_boxScoreView->setAccessibleName(u"Box score"_s);
    // The page keys scroll it wherever the focus is; a Tab stop that shows nothing would only be in the way.
    m_boxScoreView->setFocusPolicy(Qt::NoFocus);
    auto *note = new ErrorNote(nullptr);
    m_errorNote = note;
    auto *page = new BoxScorePage(m_boxScoreView, note, m_contents);
    page->setObjectName(u"boxScorePage"_s);
    return page;
}

bool InlineBoxScoreView::isPregame(const BoxScore &box)
{
    if (box.status == BoxScore::GameStatus::Scheduled || box.status == BoxScore::GameStatus::Postponed) return true;
    return box.lineScore.innings.empty() && box.away.battingRows.empty() && box.home.battingRows.empty();
}

InlineBoxScoreView::Content InlineBoxScoreView::content() const
{
    if (const auto &box = m_boxViewModel->boxScore()) return isPregame(*box) ? Content::Pregame : Content::BoxScore;
    return m_scheduleViewModel->inlineBoxScoreGameId() ? Content::Loading : Content::Nothing;
}

Symbol InlineBoxScoreView::pregameSymbol() const
{
    return m_pregameSymbol->symbol();
}

void InlineBoxScoreView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    followGame(m_scheduleViewModel->inlineBoxScoreGameId());
    m_boxViewModel->setGamePk(m_followedGameId);
    // setGamePk does nothing for the game already followed, so polling stopped by a hide is restarted here.
    if (m_boxViewModel->gamePk() && !m_boxViewModel->hasPollingTask()) m_boxViewModel->startPolling();
}

void InlineBoxScoreView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_boxViewModel->stopPolling();
}

void InlineBoxScoreView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyColors();
}

void InlineBoxScoreView::scheduleChanged()
{
    const std::optional<qint64> gameId = m_scheduleViewModel->inlineBoxScoreGameId();
    if (gameId != m_followedGameId) {
        followGame(gameId);
        // A hidden view polls nothing: a new game waits for the next appearance, which follows it then.
        if (isVisible() || !gameId) m_boxViewModel->setGamePk(gameId);
    }
    refresh();
}

void InlineBoxScoreView::followGame(std::optional<qint64> gameId)
{
    // Another game's box score is read from its top, not from where the last one was left.
    if (gameId != m_followedGameId) m_boxScoreView->verticalScrollBar()->setValue(0);
    m_followedGameId = gameId;
}

void InlineBoxScoreView::refresh()
{
    const std::optional<BoxScore> &box = m_boxViewModel->boxScore();
    const std::optional<QString> &error = m_boxViewModel->errorMessage();
    m_title->setVisible(box.has_value());
    m_title->setText(box ? box->result.title : QString());

    const Content shown = content();
    m_contents->setCurrentIndex(int(shown));
    switch (shown) {
    case Content::Nothing:
        break;
    case Content::Loading:
        // A failed fetch with nothing to show is not "loading": the error stands alone until a retry succeeds.
        m_loadingSpinner->setVisible(!error.has_value());
        m_loadingError->setVisible(error.has_value());
        m_loadingError->setText(error.value_or(QString()));
        break;
    case Content::Pregame:
        refreshPregame(*box);
        break;
    case Content::BoxScore:
        m_boxScoreView->setBoxScore(*box);
        m_errorNote->setVisible(error.has_value());
        m_errorNote->setText(error.value_or(QString()));
        static_cast<ErrorNote *>(m_errorNote)->place();
        break;
    }
}

std::optional<Game> InlineBoxScoreView::selectedGame() const
{
    const std::optional<qint64> gameId = m_scheduleViewModel->inlineBoxScoreGameId();
    if (!gameId) return std::nullopt;
    for (const Game &game : m_scheduleViewModel->games())
        if (game.gamePk == *gameId) return game;
    return std::nullopt;
}

void InlineBoxScoreView::refreshPregame(const BoxScore &box)
{
    const std::optional<Game> game = selectedGame();
    const bool postponed = game && isPostponed(*game);
    const std::optional<QString> reschedule = postponed ? game->rescheduleText() : std::nullopt;

    m_pregameSymbol->setSymbol(postponed ? Symbol::CloudRain : Symbol::Baseball);
    m_pregameTitle->setText(postponed ? game->statusText() : box.result.title);
    m_pregameSubtitle->setVisible(game.has_value());
    if (game)
        m_pregameSubtitle->setText(
            reschedule ? u"Rescheduled "_s + *reschedule : u"First pitch "_s + game->startTimeText());

    m_pregameFacts->setVisible(game.has_value());
    if (!game) return;
    const auto show = [](const Fact &fact, const std::optional<QString> &value) {
        fact.row->setVisible(value.has_value());
        fact.value->setText(value.value_or(QString()));
    };
    show(m_newDate, reschedule);
    show(m_venue, game->venue ? std::optional(game->venue->name) : std::nullopt);
    const auto &away = game->teams.away.probablePitcher;
    const auto &home = game->teams.home.probablePitcher;
    show(m_probables,
        !postponed && away && home ? std::optional(away->fullName + u" vs "_s + home->fullName) : std::nullopt);
    show(m_series, game->seriesText());
    show(m_tv, game->broadcastText());
}

void InlineBoxScoreView::applyColors()
{
    const QPalette &palette = this->palette();
    const QColor secondary = theme::secondary(palette);
    theme::setTextColor(m_title, secondary);
    theme::setTextColor(m_loadingError, theme::red(palette));
    theme::setTextColor(m_errorNote, theme::red(palette));
    theme::setTextColor(m_pregameTitle, theme::primary(palette));
    theme::setTextColor(m_pregameSubtitle, secondary);
    for (const Fact *fact : { &m_newDate, &m_venue, &m_probables, &m_series, &m_tv }) {
        theme::setTextColor(fact->label, secondary);
        theme::setTextColor(fact->value, theme::primary(palette));
    }
}
