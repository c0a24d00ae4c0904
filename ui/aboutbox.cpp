#include "ui/aboutbox.h"

#include "ui/glyphs.h"
#include "ui/widgets.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace trophex::ui {

namespace {

constexpr int BoxWidth = 401;
constexpr int BoxHeight = 189;

QLabel* addPicture(QWidget* parent, const QString& name, const QPixmap& picture, QRect geometry)
{
    auto* image = new QLabel(parent);
    image->setObjectName(name);
    image->setPixmap(picture);
    image->setScaledContents(true);
    image->setGeometry(geometry);
    return image;
}

QLabel* addText(QWidget* parent, const QString& name, const QString& text, const QFont& font, const QColor& colour,
                QRect geometry)
{
    QLabel* label = addLabel(parent, text, geometry);
    label->setObjectName(name);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget& mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(BoxWidth, BoxHeight);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setGeometry(0, 0, BoxWidth, BoxHeight);

    addPicture(panel, QStringLiteral("ProgramIcon"), programIcon(82), QRect(16, 16, 41, 41));
    addText(panel, QStringLiteral("ProductName"), QStringLiteral("TROPHEX"),
            pixelFont(QStringLiteral("MS Sans Serif"), 24, true), QColor(128, 0, 0), QRect(72, 14, 220, 30));
    // "Tarnovale" is spelled as the program always has.
    addText(panel, QStringLiteral("Label3"), QStringLiteral("Tarnovale"),
            pixelFont(QStringLiteral("Arial"), 13, true, true), QColor(0, 0, 128), QRect(74, 44, 220, 18));
    addPicture(panel, QStringLiteral("Image1"), secchiDiskPicture(QSize(98, 82)), QRect(336, 16, 49, 41));

    auto* rule = new QFrame(panel);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(16, 72, BoxWidth - 32, 3);

    addText(panel, QStringLiteral("Description"), QStringLiteral("Eutrophication assessment of a lake"),
            pixelFont(QStringLiteral("Arial"), 12, true), QColor(0, 0, 0), QRect(16, 84, BoxWidth - 32, 18));
    addText(panel, QStringLiteral("Version"), QStringLiteral("Version 1.0"), pixelFont(QStringLiteral("Arial"), 12, false),
            QColor(0, 0, 0), QRect(16, 104, BoxWidth - 32, 18));

    okButton_ = new QPushButton(okGlyph(), QStringLiteral("OK"), panel);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setGeometry((BoxWidth - 75) / 2, BoxHeight - 44, 75, 28);
    okButton_->hide();
    connect(okButton_, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(StartupScreenMilliseconds);
    connect(timer_, &QTimer::timeout, this, &TAboutBox::Timer1Timer);

    move(screen()->availableGeometry().center() - rect().center());
    show();
    timer_->start();
}

void TAboutBox::Timer1Timer()
{
    timer_->stop();
    hide();
    mainWindow_.setEnabled(true);
    emit startupScreenEnded();
}

void TAboutBox::OKButtonClick()
{
    mainWindow_.setEnabled(true);
    hide();
}

void TAboutBox::showAsAboutWindow()
{
    okButton_->show();
    show();
    raise();
    activateWindow();
    okButton_->setFocus();
}

void TAboutBox::FormClose()
{
    mainWindow_.setEnabled(true);
}

void TAboutBox::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TAboutBox::keyPressEvent(QKeyEvent* event)
{
    const bool closingKey =
        event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!closingKey) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (okButton_->isVisible())
        okButton_->click();
    else
        close();
}

}  // namespace trophex::ui
