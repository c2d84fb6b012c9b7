#pragma once
// Gives a control the objectName by which tests and outside checks find it.

#include <QObject>
#include <QString>

template <typename T> T *Named(T *object, const char *name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}
