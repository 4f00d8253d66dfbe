#include "system/dialogs/updatedialog.h"

#include "system/dialogs/releasenotes.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A version from the feed is one word a label cannot wrap: a long one would make the dialog as wide as the word.
QString elided(const QString &text)
{
    constexpr qsizetype longest = 40;
    if (text.size() <= longest) return text;
    return text.left(longest / 2) + u'\u2026' + text.right(longest / 2 - 1);
}

} // namespace

QVariant ReleaseNotesBrowser::loadResource(int, const QUrl &)
{
    return {};
}

UpdateDialog::UpdateDialog(const AppcastItem &item, const QString &runningVersion, OpenURL openUrl, QWidget *parent)
    : QDialog(parent)
    , m_item(item)
    , m_openUrl(std::move(openUrl))
    , m_message(new QLabel)
    , m_notes(new ReleaseNotesBrowser)
    , m_download(new QPushButton(u"Download"_s))
    , m_skip(new QPushButton(u"Skip This Version"_s))
    , m_remindLater(new QPushButton(u"Remind Me Later"_s))
{
    setWindowTitle(u"Software Update"_s);

    auto *icon = new QLabel;
    const QIcon appIcon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_MessageBoxInformation)
                                                              : QApplication::windowIcon();
    icon->setPixmap(appIcon.pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);

    auto *title = new QLabel(u"A new version of Baselark is available!"_s);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.15);
    title->setFont(titleFont);

    m_message->setText(u"Baselark %1 is now available\u2014you have %2. Would you like to download it now?"_s.arg(
        elided(item.displayVersionString()), runningVersion.isEmpty() ? u"?"_s : elided(runningVersion)));
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);

    auto *notesTitle = new QLabel(u"Release Notes:"_s);
    QFont bold = notesTitle->font();
    bold.setBold(true);
    notesTitle->setFont(bold);

    m_notes->setOpenLinks(false);
    m_notes->setOpenExternalLinks(false);
    m_notes->setHtml(releaseNotesHtml(item));
    m_notes->setMinimumSize(360, 180);
    connect(m_notes, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        if (isExternalLink(url)) m_openUrl(url);
    });
    const bool hasNotes = item.itemDescription || item.releaseNotesLink;
    notesTitle->setVisible(hasNotes);
    m_notes->setVisible(hasNotes);

    m_download->setDefault(true);
    m_download->setEnabled(item.downloadURL().has_value());
    connect(m_download, &QPushButton::clicked, this, [this] {
        if (const auto url = m_item.downloadURL()) m_openUrl(*url);
        accept();
    });
    connect(m_skip, &QPushButton::clicked, this, [this] {
        Q_EMIT skipVersionRequested();
        reject();
    });
    connect(m_remindLater, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_skip);
    buttons->addStretch();
    buttons->addWidget(m_remindLater);
    buttons->addWidget(m_download);

    auto *text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(m_message);
    text->addSpacing(6);
    text->addWidget(notesTitle);
    text->addWidget(m_notes, 1);
    text->addLayout(buttons);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(text, 1);
    resize(560, 380);
    if (const QScreen *shownOn = screen()) setMaximumSize(shownOn->availableGeometry().size());
}
