#pragma once

// Scripts for the operator dialogs in tests: run against the next modal
// dialog once it is up, and look up its controls by object name.

#include <QApplication>
#include <QDialog>
#include <QString>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using Script = std::function<void(QWidget* dialog)>;

// Runs the script against the next modal dialog once it is up. A script that
// leaves its dialog open fails and closes it, so nothing can hang the run.
inline void whenModal(Script script)
{
    QTimer::singleShot(0, [script] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            ADD_FAILURE() << "no modal dialog came up";
            return;
        }
        script(dialog);
        if (auto* d = qobject_cast<QDialog*>(dialog); d && d->isVisible()) {
            ADD_FAILURE() << "the script left " << d->objectName().toStdString() << " open";
            d->reject();
        }
    });
}

// The dialog's control of that name; a failure when there is none.
template <typename T = QWidget>
T* child(QWidget* dialog, const QString& name)
{
    T* w = dialog->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << "no child " << name.toStdString();
    return w;
}
