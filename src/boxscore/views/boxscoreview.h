#pragma once

#include "boxscore/boxscore.h"
#include "boxscore/views/boxscorestyle.h"

#include <QFont>
#include <QRectF>
#include <QScrollArea>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTextLayout;
class QVBoxLayout;

// The Baseball Reference player search for a full name; none for a blank name.
std::optional<QUrl> playerSearchURL(const QString &fullName);

// One band of a box score, painted from a list of placed texts and dividers that is worked out once per width.
// Player names carry links: the pointing hand over them, a tooltip, and Ctrl-click opens the link.
class BoxScoreSection : public QWidget {
    Q_OBJECT

public:
    struct Item {
        enum class Kind { Text, Divider };
        Kind kind = Kind::Text;
        QRectF rect;
        QString text;
        QFont font;
        // The first emphasisLength characters are drawn in emphasisFont ("Umpires: " before the names).
        qsizetype emphasisLength = 0;
        QFont emphasisFont;
        bool secondary = false;
        Qt::Alignment alignment = Qt::AlignLeft;
        // Set on texts that wrap at rect's width; the others are cut short with an ellipsis.
        std::shared_ptr<QTextLayout> wrapped;
        std::optional<QUrl> link;
        // The section's title, which names the section to assistive technology.
        bool title = false;
        // The cell of the section's table the text stands in, read by assistive technology; row -1 is the
        // header. A column of -1 puts the text outside the table.
        int cellRow = 0;
        int cellColumn = -1;

        Item &inCell(int row, int column)
        {
            cellRow = row;
            cellColumn = column;
            return *this;
        }
    };

    static const QString linkToolTip;

    explicit BoxScoreSection(const BoxScoreStyle &style, QWidget *parent = nullptr);
    ~BoxScoreSection() override;

    const BoxScoreStyle &boxScoreStyle() const { return m_style; }
    void setBoxScoreStyle(const BoxScoreStyle &style);

    // The section laid out at its current width.
    const std::vector<Item> &items() const;
    // The texts of items(), in order.
    QStringList texts() const;
    bool isShowingPointingHand() const { return m_showingPointingHand; }

    // Building blocks for layOut.
    // A one-line text at (x, top) in a frame `width` wide; its height is the font's line height.
    static Item text(const QString &text, const QFont &font, qreal x, qreal top, qreal width, bool secondary = false,
        Qt::Alignment alignment = Qt::AlignLeft);
    // A text that wraps within `width`, optionally led by `emphasisLength` characters in `emphasisFont`.
    static Item paragraph(const QString &text, const QFont &font, qreal x, qreal top, qreal width, bool secondary,
        qsizetype emphasisLength = 0, const QFont &emphasisFont = {});
    static Item divider(qreal top, qreal width);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void linkActivated(const QUrl &url);

protected:
    // Places the section's items for `width` and returns the height they take.
    virtual qreal layOut(qreal width, std::vector<Item> &items) const = 0;
    // The narrowest width at which nothing overlaps.
    virtual int minimumContentWidth() const = 0;
    // Call after the data behind layOut changed.
    void contentChanged();

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

    QFont body(QFont::Weight weight = QFont::Normal) const;
    QFont caption(QFont::Weight weight = QFont::Normal) const;
    // The section title in caption bold, with 4 pixels of space above it; returns its bottom.
    qreal addTitle(std::vector<Item> &items, const QString &title, qreal width) const;
    // A player table's head: its title, a rule, and the column captions; returns the captions' bottom.
    qreal addTableHead(std::vector<Item> &items, const QString &title, const QString &nameCaption,
        const QStringList &statCaptions, qreal width) const;

private:
    struct Layout {
        int width = -1;
        std::vector<Item> items;
        int height = 0;
    };
    const Layout &layoutFor(int width) const;
    std::optional<std::size_t> linkAt(QPointF position) const;
    void setHoveredLink(std::optional<std::size_t> index);
    void syncCursor();

    BoxScoreStyle m_style;
    mutable Layout m_layout;
    mutable Layout m_probe;
    std::optional<std::size_t> m_hoveredLink;
    std::optional<QUrl> m_pressedLink;
    bool m_showingPointingHand = false;
};

// The result title and the pitching decisions, side by side or, in the compact style, stacked.
class BoxScoreResultHeader : public BoxScoreSection {
    Q_OBJECT
public:
    using BoxScoreSection::BoxScoreSection;
    void setResult(const BoxScore::ResultLine &result);

protected:
    qreal layOut(qreal width, std::vector<Item> &items) const override;
    int minimumContentWidth() const override { return 0; }

private:
    BoxScore::ResultLine m_result;
};

// Runs by inning for both clubs, then runs, hits and errors at the right edge.
class BoxScoreLineScoreSection : public BoxScoreSection {
    Q_OBJECT
public:
    using BoxScoreSection::BoxScoreSection;
    void setLine(const BoxScore::LineScore &line);

protected:
    qreal layOut(qreal width, std::vector<Item> &items) const override;
    int minimumContentWidth() const override;

private:
    BoxScore::LineScore m_line;
};

// One club's batters with their game line, the totals and the notes on extra-base hits, steals and errors.
class BoxScoreBattingSection : public BoxScoreSection {
    Q_OBJECT
public:
    using BoxScoreSection::BoxScoreSection;
    void setTeam(const BoxScore::TeamBox &team);

protected:
    qreal layOut(qreal width, std::vector<Item> &items) const override;
    int minimumContentWidth() const override;

private:
    BoxScore::TeamBox m_team;
};

// One club's pitchers, with their decisions.
class BoxScorePitchingSection : public BoxScoreSection {
    Q_OBJECT
public:
    using BoxScoreSection::BoxScoreSection;
    void setTeam(const BoxScore::TeamBox &team);

protected:
    qreal layOut(qreal width, std::vector<Item> &items) const override;
    int minimumContentWidth() const override;

private:
    BoxScore::TeamBox m_team;
};

// The plays that scored runs: half-inning, score after the play, and what happened.
class BoxScoreScoringPlaysSection : public BoxScoreSection {
    Q_OBJECT
public:
    using BoxScoreSection::BoxScoreSection;
    void setPlays(const std::vector<BoxScore::ScoringPlayRow> &plays);

protected:
    qreal layOut(qreal width, std::vector<Item> &items) const override;
    int minimumContentWidth() const override;

private:
    std::vector<BoxScore::ScoringPlayRow> m_plays;
};

// Umpires, weather, length of the game and attendance.
class BoxScoreFooterSection : public BoxScoreSection {
    Q_OBJECT
public:
    using BoxScoreSection::BoxScoreSection;
    void setFooter(const BoxScore::Footer &footer);

    // "HP: …  ·  1B: …" without the "Umpires: " lead; none when no umpire is known.
    static std::optional<QString> umpireParts(const BoxScore::Footer &footer);
    // "Weather: …  ·  T: …  ·  Att: …"; none when none of the three is known.
    static std::optional<QString> informationLine(const BoxScore::Footer &footer);

protected:
    qreal layOut(qreal width, std::vector<Item> &items) const override;
    int minimumContentWidth() const override { return 0; }

private:
    BoxScore::Footer m_footer;
};

// A whole box score as a newspaper prints it, in a column that scrolls vertically.
class BoxScoreView : public QScrollArea {
    Q_OBJECT

public:
    using OpenURL = std::function<void(const QUrl &)>;

    explicit BoxScoreView(const BoxScoreStyle &style = BoxScoreStyle::regular(), QWidget *parent = nullptr);

    const std::optional<BoxScore> &boxScore() const { return m_box; }
    // Updates the sections in place; the scroll position stays.
    void setBoxScore(const BoxScore &box);

    const BoxScoreStyle &boxScoreStyle() const { return m_style; }
    void setBoxScoreStyle(const BoxScoreStyle &style);

    // Where Ctrl-clicked player links go; the default browser unless replaced.
    void setOpenURL(OpenURL openURL) { m_openURL = std::move(openURL); }

    BoxScoreResultHeader *resultHeader() const { return m_resultHeader; }
    BoxScoreLineScoreSection *lineScoreSection() const { return m_lineScore; }
    BoxScoreBattingSection *battingSection(bool home) const { return home ? m_homeBatting : m_awayBatting; }
    BoxScorePitchingSection *pitchingSection(bool home) const { return home ? m_homePitching : m_awayPitching; }
    BoxScoreScoringPlaysSection *scoringPlaysSection() const { return m_scoringPlays; }
    BoxScoreFooterSection *footerSection() const { return m_footer; }

private:
    std::vector<BoxScoreSection *> sections() const;

    BoxScoreStyle m_style;
    std::optional<BoxScore> m_box;
    OpenURL m_openURL;
    QVBoxLayout *m_column = nullptr;
    BoxScoreResultHeader *m_resultHeader = nullptr;
    BoxScoreLineScoreSection *m_lineScore = nullptr;
    BoxScoreBattingSection *m_awayBatting = nullptr;
    BoxScoreBattingSection *m_homeBatting = nullptr;
    BoxScorePitchingSection *m_awayPitching = nullptr;
    BoxScorePitchingSection *m_homePitching = nullptr;
    BoxScoreScoringPlaysSection *m_scoringPlays = nullptr;
    BoxScoreFooterSection *m_footer = nullptr;
};
