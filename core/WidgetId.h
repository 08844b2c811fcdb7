// The object names "id<number>" by which tests and the keyboard handling find a
// window's controls and menu items.
#pragma once

#include <QObject>
#include <QString>

inline void SetId(QObject* object, int id) {
    object->setObjectName(QStringLiteral("id%1").arg(id));
}

// The object, named: for building a control and naming it in one expression.
template <class T> T* WithId(T* object, int id) {
    SetId(object, id);
    return object;
}
