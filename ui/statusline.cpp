#include "ui/statusline.h"

#include <QLabel>

namespace trophex::ui {

StatusLine::StatusLine(QWidget* parent) : QStatusBar(parent), label_(new QLabel(this))
{
    setObjectName(QStringLiteral("StatusLine"));
    setSizeGripEnabled(false);
    label_->setObjectName(QStringLiteral("StatusLineText"));
    addWidget(label_, 1);
}

void StatusLine::setInputsChanged(bool changed)
{
    label_->setText(changed ? QString::fromLatin1(InputsChangedMessage) : QString());
}

QString StatusLine::text() const
{
    return label_->text();
}

}  // namespace trophex::ui
