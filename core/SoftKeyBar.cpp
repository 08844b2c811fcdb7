// The soft-key bar and its keys.
#include "core/SoftKeyBar.h"

#include <QColor>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QWidget>

QWidget* NewSoftKeyBar(QWidget* parent) {
    auto* bar = new QWidget(parent);
    bar->setObjectName(QStringLiteral("softKeyBar"));
    bar->setAutoFillBackground(true);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, QColor(224, 228, 240));
    bar->setPalette(palette);
    return bar;
}

QPushButton* NewSoftKey(const QString& text, QWidget* bar) {
    auto* key = new QPushButton(text, bar);
    key->setFlat(true);
    key->setFocusPolicy(Qt::NoFocus);
    key->setAutoDefault(false);
    return key;
}

void PopUpAbove(QMenu* menu, QWidget* key) {
    menu->popup(key->mapToGlobal(QPoint(0, -menu->sizeHint().height())));
}
