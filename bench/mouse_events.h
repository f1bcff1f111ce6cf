#pragma once
// Mouse events sent straight to a widget, as the benchmarks of real views drive them.
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace scheme::bench {

inline void Send(QWidget* Client, QEvent::Type Type, QPoint P, Qt::MouseButton Button,
                 Qt::MouseButtons Buttons) {
    QMouseEvent E(Type, QPointF(P), QPointF(Client->mapToGlobal(P)), Button, Buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(Client, &E);
}

}  // namespace scheme::bench
