#pragma once

#include "app/popupplacement.h"

#include <QPoint>
#include <QWidget>

#include <chrono>
#include <functional>
#include <optional>

class QVBoxLayout;

// The frameless window that drops from the status item and holds the menu content.
class PopupWindow : public QWidget {
    Q_OBJECT

public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr int narrowWidth = 320;
    static constexpr int wideWidth = 440;
    static constexpr int windowHeight = 500;
    static constexpr std::chrono::milliseconds activationGracePeriod { 250 };

    explicit PopupWindow(QWidget *parent = nullptr);
    // The clock decides the grace period after popping up; tests pass one they can move.
    explicit PopupWindow(Clock clock, QWidget *parent = nullptr);

    bool isWide() const { return m_wide; }
    void setWide(bool wide);

    QWidget *content() const { return m_content; }
    // Takes ownership and fills the window; the previous content is deleted. nullptr brings back the placeholder.
    void setContent(QWidget *content);

    // The screens as placement sees them, the primary first.
    static QList<PlacementScreen> screens();

    // Shows the window hanging from a point on the status item, on an X11 desktop.
    void popUpAt(QPoint itemPoint);
    // Shows the window where `where` puts it; it stays there, and keeps its place when it widens.
    void popUp(PlacementInput where);
    void toggle(PlacementInput where);

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void place();
    void handleDeactivation();
    bool withinGracePeriod(std::optional<std::chrono::steady_clock::time_point> since) const;

    Clock m_clock;
    QVBoxLayout *m_layout = nullptr;
    QWidget *m_content = nullptr;
    bool m_wide = false;
    std::optional<PlacementInput> m_where;
    std::optional<std::chrono::steady_clock::time_point> m_poppedUpAt;
    std::optional<std::chrono::steady_clock::time_point> m_hiddenOnDeactivationAt;
};
