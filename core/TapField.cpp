// The tapped value field of the dialogs.
#include "core/TapField.h"

#include "core/WidgetId.h"

#include <QLabel>
#include <QPalette>

QLabel* TapField(QWidget* parent, int id) {
    auto* label = WithId(new QLabel(parent), id);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::white);
    label->setPalette(palette);
    return label;
}
