#include "ui/myteamseditor.h"

#include "schedule/scheduleviewmodel.h"
#include "stats/teams.h"
#include "ui/theme.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int teamRole = Qt::UserRole;

QPushButton *smallButton(const QString &name, const QString &text, const QString &accessibleName, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(accessibleName);
    button->setFont(theme::font(11));
    button->setAutoDefault(false);
    return button;
}

} // namespace

MyTeamsEditor::MyTeamsEditor(ScheduleViewModel *viewModel, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
{
    setObjectName(u"myTeamsEditor"_s);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    m_list = new QListWidget(this);
    m_list->setObjectName(u"myTeamsList"_s);
    m_list->setAccessibleName(u"My Teams"_s);
    m_list->setAccessibleDescription(
        u"Checked clubs get alerts. Delete removes a followed club, Alt+Up and Alt+Down move it"_s);
    m_list->setFont(theme::font(12));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->installEventFilter(this);
    column->addWidget(m_list);

    auto *order = new QHBoxLayout;
    order->setSpacing(6);
    m_moveUp = smallButton(u"moveTeamUp"_s, u"Move Up"_s, u"Move club up"_s, this);
    m_moveDown = smallButton(u"moveTeamDown"_s, u"Move Down"_s, u"Move club down"_s, this);
    m_remove = smallButton(u"removeTeam"_s, u"Remove"_s, u"Stop following club"_s, this);
    for (QPushButton *button : { m_moveUp, m_moveDown, m_remove })
        order->addWidget(button);
    order->addStretch(1);
    column->addLayout(order);

    auto *add = new QHBoxLayout;
    add->setSpacing(6);
    m_addPicker = new QComboBox(this);
    m_addPicker->setObjectName(u"addTeamPicker"_s);
    m_addPicker->setAccessibleName(u"Club to follow"_s);
    m_addPicker->setMaxVisibleItems(12);
    add->addWidget(m_addPicker, 1);
    m_add = smallButton(u"addTeam"_s, u"Follow"_s, u"Follow club"_s, this);
    add->addWidget(m_add);
    column->addLayout(add);

    connect(m_moveUp, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(m_moveDown, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(m_remove, &QPushButton::clicked, this, &MyTeamsEditor::removeSelected);
    connect(m_add, &QPushButton::clicked, this, &MyTeamsEditor::addPicked);
    connect(m_list, &QListWidget::currentRowChanged, this, &MyTeamsEditor::updateButtons);
    connect(m_list, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        m_viewModel->setTeamAlerts(item->data(teamRole).toLongLong(), item->checkState() == Qt::Checked);
    });
    refresh();
}

void MyTeamsEditor::refresh()
{
    const std::vector<qint64> clubs = m_viewModel->myTeamIds();
    std::vector<bool> alerts;
    for (const qint64 id : clubs)
        alerts.push_back(m_viewModel->teamAlerts(id));
    // The view model changes at every load; rebuilding then would close an open picker.
    if (clubs == m_shownClubs && alerts == m_shownAlerts) return;
    m_shownClubs = clubs;
    m_shownAlerts = alerts;
    const std::optional<qint64> selected = selectedTeam();
    {
        const QSignalBlocker blocker(m_list);
        m_list->clear();
        for (const qint64 id : clubs) {
            const std::optional<MLBTeam> team = MLBTeam::team(id);
            const QString name = team ? team->name : MLBTeam::label(id);
            auto *item = new QListWidgetItem(id == clubs.front() ? name + u" (favorite)"_s : name, m_list);
            item->setData(teamRole, id);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(m_viewModel->teamAlerts(id) ? Qt::Checked : Qt::Unchecked);
            item->setToolTip(u"Alerts for this club"_s);
            if (id == selected) m_list->setCurrentItem(item);
        }
    }
    // Every club shows without scrolling: at most six rows.
    const int rowHeight = m_list->sizeHintForRow(0) > 0 ? m_list->sizeHintForRow(0) : 20;
    m_list->setFixedHeight(rowHeight * int(clubs.size()) + 2 * m_list->frameWidth() + 4);

    const QSignalBlocker blocker(m_addPicker);
    m_addPicker->clear();
    std::vector<MLBTeam> others;
    for (const MLBTeam &team : MLBTeam::all()) {
        if (std::ranges::find(clubs, team.id) == clubs.end()) others.push_back(team);
    }
    std::ranges::stable_sort(others, {}, &MLBTeam::name);
    for (const MLBTeam &team : others)
        m_addPicker->addItem(team.name, team.id);
    updateButtons();
}

std::optional<qint64> MyTeamsEditor::selectedTeam() const
{
    const QListWidgetItem *item = m_list->currentItem();
    if (!item) return std::nullopt;
    return item->data(teamRole).toLongLong();
}

void MyTeamsEditor::updateButtons()
{
    const int row = m_list->currentRow();
    const int count = m_list->count();
    // Row 0 is the favourite: it is changed with the My Team picker, not here.
    m_remove->setEnabled(row >= 1);
    m_moveUp->setEnabled(row >= 2);
    m_moveDown->setEnabled(row >= 1 && row + 1 < count);
    const bool room = m_viewModel->followedTeamIds().size() < ScheduleViewModel::maxFollowedTeams;
    m_add->setEnabled(room && m_addPicker->count() > 0);
    m_addPicker->setEnabled(room);
}

void MyTeamsEditor::moveSelected(int step)
{
    const std::optional<qint64> team = selectedTeam();
    std::vector<qint64> followed = m_viewModel->followedTeamIds();
    const auto found = team ? std::ranges::find(followed, *team) : followed.end();
    if (found == followed.end()) return;
    const auto index = found - followed.begin();
    const auto target = index + step;
    if (target < 0 || target >= std::ssize(followed)) return;
    std::swap(followed[std::size_t(index)], followed[std::size_t(target)]);
    m_viewModel->setFollowedTeams(std::move(followed));
}

void MyTeamsEditor::removeSelected()
{
    const std::optional<qint64> team = selectedTeam();
    std::vector<qint64> followed = m_viewModel->followedTeamIds();
    const auto found = team ? std::ranges::find(followed, *team) : followed.end();
    if (found == followed.end()) return;
    const int row = m_list->currentRow();
    followed.erase(found);
    m_viewModel->setFollowedTeams(std::move(followed));
    // The selection stays where the removed club was, so Delete can be pressed again.
    m_list->setCurrentRow(std::min(row, m_list->count() - 1));
}

void MyTeamsEditor::addPicked()
{
    if (m_addPicker->currentIndex() < 0) return;
    const qint64 team = m_addPicker->currentData().toLongLong();
    std::vector<qint64> followed = m_viewModel->followedTeamIds();
    followed.push_back(team);
    m_viewModel->setFollowedTeams(std::move(followed));
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->item(row)->data(teamRole).toLongLong() == team) m_list->setCurrentRow(row);
    }
}

bool MyTeamsEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) && modifiers == Qt::NoModifier) {
            removeSelected();
            return true;
        }
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && modifiers == Qt::AltModifier) {
            moveSelected(key->key() == Qt::Key_Up ? -1 : 1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
