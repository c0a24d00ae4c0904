#include "ui/helpviewer.h"

#include "ui/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace trophex::ui {

namespace {

QString topicAnchor(int context)
{
    return QStringLiteral("topic%1").arg(context);
}

}  // namespace

QStringList helpDirsFor(const QString& programDir)
{
    return {programDir, QDir::cleanPath(QDir(programDir).filePath(QStringLiteral(TROPHEX_HELP_DIR_FROM_PROGRAM)))};
}

QStringList defaultHelpDirs()
{
    return helpDirsFor(QCoreApplication::applicationDirPath());
}

QString findHelpFile(const QStringList& dirs)
{
    for (const QString& dir : dirs) {
        const QFileInfo file(QDir(dir).filePath(QString::fromLatin1(HelpFileName)));
        if (file.isFile())
            return file.canonicalFilePath();
    }
    return {};
}

HelpViewer::HelpViewer(UserDialogs& dialogs, QStringList helpDirs)
    : dialogs_(dialogs), helpDirs_(std::move(helpDirs)), browser_(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("TROPHEX Help"));
    setObjectName(QStringLiteral("HelpViewer"));
    resize(620, 520);

    auto* contents = new QPushButton(tr("&Contents"), this);
    auto* back = new QPushButton(tr("&Back"), this);
    auto* forward = new QPushButton(tr("&Forward"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] { showTopic(MainWindowHelpContext, this); });
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    browser_->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
}

void HelpViewer::showTopic(int context, QWidget* requester)
{
    const QString path = findHelpFile(helpDirs_);
    if (path.isEmpty()) {
        dialogs_.showError(requester, tr("The help file %1 cannot be found!").arg(QString::fromLatin1(HelpFileName)));
        return;
    }
    QUrl url = QUrl::fromLocalFile(path);
    url.setFragment(topicAnchor(context));
    browser_->setSource(url, QTextDocument::HtmlResource);
    if (!shownBefore_) {
        shownBefore_ = true;
        move(screen()->availableGeometry().center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

}  // namespace trophex::ui
