// The tapped value field of the dialogs.
#include "core/TapField.h"

#include "core/TapLabel.h"
#include "core/WidgetId.h"

#include <QPalette>

QLabel* TapField(QWidget* parent, int id) {
    auto* label = WithId(
        new TapLabel(parent, [parent, id] { QMetaObject::invokeMethod(parent, "OnCommand", Q_ARG(int, id)); }), id);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::white);
    label->setPalette(palette);
    return label;
}
