#pragma once

#include <QWidget>
#include <optional>
#include <vector>

class QComboBox;
class QListWidget;
class QPushButton;
class ScheduleViewModel;

// The ordered list of the user's clubs in Settings: the favourite first, then the followed clubs, each with its
// alert switch; clubs are added, removed and moved by mouse or keyboard (Delete, Alt+Up, Alt+Down).
class MyTeamsEditor : public QWidget {
    Q_OBJECT

public:
    explicit MyTeamsEditor(ScheduleViewModel *viewModel, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    // Reads the clubs and switches from the view model again; the selected club stays selected.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::optional<qint64> selectedTeam() const;
    // Moves the selected followed club by `step` places; the favourite keeps the first.
    void moveSelected(int step);
    void removeSelected();
    void addPicked();
    void updateButtons();

    ScheduleViewModel *m_viewModel;
    std::vector<qint64> m_shownClubs;
    std::vector<bool> m_shownAlerts;
    QListWidget *m_list = nullptr;
    QComboBox *m_addPicker = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_moveUp = nullptr;
    QPushButton *m_moveDown = nullptr;
};
