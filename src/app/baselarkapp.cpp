#include "app/baselarkapp.h"

#include "app/popupplacement.h"
#include "app/popupwindow.h"
#include "app/statusitem.h"
#include "schedule/scheduleviewmodel.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Stands in the window until the schedule views fill it: the title and a way out.
QWidget *placeholderContent(BaselarkApp *app)
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    auto *title = new QLabel(content);
    title->setObjectName(u"title"_s);
    title->setAlignment(Qt::AlignCenter);
    title->setWordWrap(true);
    QFont font = title->font();
    font.setPixelSize(15);
    font.setWeight(QFont::DemiBold);
    title->setFont(font);
    auto *quit = new QPushButton(u"Quit"_s, content);
    QObject::connect(quit, &QPushButton::clicked, qApp, &QCoreApplication::quit);
    layout->addStretch();
    layout->addWidget(title);
    layout->addStretch();
    layout->addWidget(quit, 0, Qt::AlignRight);
    QObject::connect(&app->viewModel(), &ScheduleViewModel::changed, title,
        [title, app] { title->setText(app->viewModel().menuBarTitle()); });
    title->setText(app->viewModel().menuBarTitle());
    return content;
}

} // namespace

BaselarkApp::BaselarkApp(ScheduleAPI *api, QSettings *settings, QObject *parent)
    : QObject(parent)
    , m_viewModel(new ScheduleViewModel(
          api, settings, [] { return QDateTime::currentDateTime(); }, true, true, this))
    , m_statusItem(new StatusItem(this))
    , m_window(new PopupWindow)
{
    m_window->setContent(placeholderContent(this));
    m_statusItem->setLabel(m_viewModel->menuBarTitle());

    connect(m_viewModel, &ScheduleViewModel::changed, this, &BaselarkApp::viewModelChanged);
    connect(m_statusItem, &StatusItem::activateRequested, this,
        [this](QPoint point) { toggleWindow(point.isNull() ? std::nullopt : std::optional(point)); });
    connect(m_statusItem, &StatusItem::openRequested, this, [this] {
        if (!m_window->isVisible()) toggleWindow(std::nullopt);
    });
    connect(m_statusItem, &StatusItem::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

BaselarkApp::~BaselarkApp()
{
    delete m_window;
}

void BaselarkApp::show()
{
    m_statusItem->show();
}

void BaselarkApp::viewModelChanged()
{
    m_statusItem->setLabel(m_viewModel->menuBarTitle());
    m_window->setWide(m_viewModel->inlineBoxScoreGameId().has_value());
}

void BaselarkApp::toggleWindow(std::optional<QPoint> activatePoint)
{
    const QPoint cursor = QCursor::pos();
    const QScreen *screen = QGuiApplication::screenAt(activatePoint.value_or(cursor));
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect geometry = screen ? screen->geometry() : QRect(0, 0, 1280, 800);
    m_window->toggleAt(popupAnchor(activatePoint, cursor, geometry));
}
