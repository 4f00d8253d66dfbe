#pragma once

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

    void popUpAt(QPoint anchor);
    void toggleAt(QPoint anchor);

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
    std::optional<QPoint> m_anchor;
    std::optional<std::chrono::steady_clock::time_point> m_poppedUpAt;
    std::optional<std::chrono::steady_clock::time_point> m_hiddenOnDeactivationAt;
};
