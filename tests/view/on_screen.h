#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>

namespace scheme::testing {

// What the window's backing store holds for the widget once every pending paint is done: the
// pixels on screen. grab() would paint the widget afresh instead, which shows what a paint
// renders now, not what the screen kept.
inline QImage OnScreen(QWidget& Widget) {
    QWidget* Window = Widget.window();
    // A window shows nothing before it is first exposed.
    EXPECT_TRUE(QTest::qWaitForWindowExposed(Window));
    // A paint may ask for another (connectors that moved), which Qt posts: a few rounds take
    // in every one.
    for (int Round = 0; Round < 3; ++Round) {
        QApplication::sendPostedEvents();
        QEvent Request(QEvent::UpdateRequest);
        QApplication::sendEvent(Window, &Request);
    }
    const QPoint At = Widget.mapTo(Window, QPoint(0, 0));
    const QImage Shot =
        Window->screen()
            ->grabWindow(Window->winId(), At.x(), At.y(), Widget.width(), Widget.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Shot.size(), Widget.size());
    return Shot;
}

}  // namespace scheme::testing
