#pragma once

#include <QWidget>

/// The window's control of that design name (members of an array: name_index). A missing
/// control ends the test run with its name: every later step would fail on it anyway.
template <class T> T *control(const QWidget &window, const QString &name)
{
    T *found = window.findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}
