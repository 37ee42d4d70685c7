// The drag handle on a stage-like parent: attaching, moving and resizing with
// the mouse (with snapping and clamping), the Ctrl and Shift arrow keys, and detaching.
#include "ui/effects/TStretchHandle.h"

#include <QLabel>
#include <QtTest>

using namespace tessaly;

namespace {

struct Stage {
    QWidget window;
    QLabel *control;
    TStretchHandle handle{&window};

    Stage()
    {
        window.resize(400, 300);
        control = new QLabel(QStringLiteral("标题"), &window);
        control->setGeometry(50, 40, 100, 30);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    // A mouse event at a point of the handle, with the left button held from press to release.
    void mouse(QEvent::Type type, QPoint handlePos)
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, handlePos, handle.mapToGlobal(handlePos), button, held, Qt::NoModifier);
        QApplication::sendEvent(&handle, &event);
    }
    // Presses at `from` (handle coordinates), moves the pointer by `by` and releases there.
    void drag(QPoint from, QPoint by)
    {
        const QPoint pressed = handle.mapToParent(from);
        mouse(QEvent::MouseButtonPress, from);
        // The handle follows the pointer, so each point is taken from where the handle stands now.
        mouse(QEvent::MouseMove, handle.mapFromParent(pressed + by / 2));
        mouse(QEvent::MouseMove, handle.mapFromParent(pressed + by));
        mouse(QEvent::MouseButtonRelease, handle.mapFromParent(pressed + by));
    }
};

}  // namespace

class TestStretchHandle : public QObject {
    Q_OBJECT
private slots:
    void attachingFramesTheControl()
    {
        Stage s;
        QVERIFY(s.handle.attach(s.control).ok());
        QCOMPARE(s.handle.parentWidget(), &s.window);
        QCOMPARE(s.handle.geometry(), QRect(48, 38, 105, 35));
        QVERIFY(s.handle.isVisible());
        QVERIFY(s.handle.hasFocus());
        QCOMPARE(s.window.children().last(), &s.handle);  // in front of the control
        QCOMPARE(s.handle.grabSquares().size(), 8);
        QCOMPARE(s.handle.grabSquares().first().topLeft(), QPoint(0, 0));
        QCOMPARE(s.handle.grabSquares()[4].bottomRight(), QPoint(104, 34));

        // Attaching it again changes nothing.
        s.handle.setGeometry(0, 0, 10, 10);
        QVERIFY(s.handle.attach(s.control).ok());
        QCOMPARE(s.handle.geometry(), QRect(0, 0, 10, 10));
        QCOMPARE(s.handle.attachedControls().size(), 1);
    }

    void aWindowIsRefused()
    {
        Stage s;
        QWidget form;
        const Status refused = s.handle.attach(&form);
        QCOMPARE(refused.code(), ErrorCode::BadInput);
        QCOMPARE(QString::fromStdString(refused.error().message), QStringLiteral("Handles can not be attached to a Form!"));
        QVERIFY(s.handle.attachedControls().isEmpty());
        QVERIFY(!s.handle.isVisible());
    }

    void draggingInsideMovesTheControlOnRelease()
    {
        Stage s;
        QVERIFY(s.handle.attach(s.control).ok());
        QSignalSpy changed(&s.handle, &TStretchHandle::controlsChanged);
        s.mouse(QEvent::MouseButtonPress, QPoint(40, 15));
        s.mouse(QEvent::MouseMove, QPoint(70, 35));
        QCOMPARE(s.control->geometry(), QRect(50, 40, 100, 30));  // not before the release
        QCOMPARE(s.handle.geometry(), QRect(78, 58, 105, 35));
        s.mouse(QEvent::MouseButtonRelease, QPoint(40, 15));
        QCOMPARE(s.control->geometry(), QRect(80, 60, 100, 30));
        QCOMPARE(changed.size(), 1);
        QVERIFY(s.handle.hasFocus());
    }

    void draggingASquareResizesFromThatCornerOrSide_data()
    {
        QTest::addColumn<int>("square");  // clockwise from the top-left corner
        QTest::addColumn<QPoint>("by");
        QTest::addColumn<QRect>("control");
        QTest::newRow("top-left") << 0 << QPoint(-10, -5) << QRect(40, 35, 110, 35);
        QTest::newRow("top") << 1 << QPoint(30, -5) << QRect(50, 35, 100, 35);
        QTest::newRow("top-right") << 2 << QPoint(20, 10) << QRect(50, 50, 120, 20);
        QTest::newRow("right") << 3 << QPoint(-40, 50) << QRect(50, 40, 60, 30);
        QTest::newRow("bottom-right") << 4 << QPoint(20, 10) << QRect(50, 40, 120, 40);
        QTest::newRow("bottom") << 5 << QPoint(7, 13) << QRect(50, 40, 100, 43);
        QTest::newRow("bottom-left") << 6 << QPoint(25, 5) << QRect(75, 40, 75, 35);
        QTest::newRow("left") << 7 << QPoint(-50, 99) << QRect(0, 40, 150, 30);
        QTest::newRow("never past the opposite edge") << 4 << QPoint(-300, -300) << QRect(50, 40, 1, 1);
    }

    void draggingASquareResizesFromThatCornerOrSide()
    {
        QFETCH(int, square);
        QFETCH(QPoint, by);
        QFETCH(QRect, control);
        Stage s;
        QVERIFY(s.handle.attach(s.control).ok());
        s.drag(s.handle.grabSquares()[square].center(), by);
        QCOMPARE(s.control->geometry(), control);
        QCOMPARE(s.handle.geometry(), control.adjusted(-2, -2, 3, 3));
    }

    void movesSnapToTheGridAndStayInsideTheParent()
    {
        Stage s;
        s.handle.setGridX(10);
        s.handle.setGridY(10);
        QVERIFY(s.handle.attach(s.control).ok());
        s.drag(QPoint(40, 15), QPoint(13, 7));
        QCOMPARE(s.control->pos(), QPoint(60, 50));
        s.handle.setSnapToGrid(false);
        s.drag(QPoint(40, 15), QPoint(3, -2));
        QCOMPARE(s.control->pos(), QPoint(63, 48));

        // The pointer counts only up to the parent's edge: a drag far out stops there.
        s.drag(QPoint(40, 15), QPoint(1000, 1000));
        QCOMPARE(s.control->pos(), QPoint(63 + (399 - (63 - 2 + 40)), 48 + (299 - (48 - 2 + 15))));
    }

    void ctrlArrowsMoveAndShiftArrowsResizeByOnePixel_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QRect>("control");
        const int ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
        QTest::newRow("ctrl left") << int(Qt::Key_Left) << ctrl << QRect(49, 40, 100, 30);
        QTest::newRow("ctrl up") << int(Qt::Key_Up) << ctrl << QRect(50, 39, 100, 30);
        QTest::newRow("ctrl right") << int(Qt::Key_Right) << ctrl << QRect(51, 40, 100, 30);
        QTest::newRow("ctrl down") << int(Qt::Key_Down) << ctrl << QRect(50, 41, 100, 30);
        QTest::newRow("shift left") << int(Qt::Key_Left) << shift << QRect(50, 40, 99, 30);
        QTest::newRow("shift up") << int(Qt::Key_Up) << shift << QRect(50, 40, 100, 29);
        QTest::newRow("shift right") << int(Qt::Key_Right) << shift << QRect(50, 40, 101, 30);
        QTest::newRow("shift down") << int(Qt::Key_Down) << shift << QRect(50, 40, 100, 31);
        QTest::newRow("plain arrow") << int(Qt::Key_Left) << 0 << QRect(50, 40, 100, 30);
        QTest::newRow("ctrl and shift") << int(Qt::Key_Left) << (ctrl | shift) << QRect(50, 40, 100, 30);
        QTest::newRow("alt") << int(Qt::Key_Left) << int(Qt::AltModifier) << QRect(50, 40, 100, 30);
    }

    void ctrlArrowsMoveAndShiftArrowsResizeByOnePixel()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QRect, control);
        Stage s;
        QVERIFY(s.handle.attach(s.control).ok());
        QTest::keyClick(&s.handle, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(s.control->geometry(), control);
        QCOMPARE(s.handle.geometry(), control.adjusted(-2, -2, 3, 3));
    }

    void shiftArrowsNeverShrinkTheControlAway()
    {
        Stage s;
        s.control->resize(1, 1);
        QVERIFY(s.handle.attach(s.control).ok());
        QTest::keyClick(&s.handle, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(&s.handle, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(s.control->size(), QSize(1, 1));
    }

    void severalControlsMoveTogether()
    {
        Stage s;
        auto *second = new QLabel(QStringLiteral("副标题"), &s.window);
        second->setGeometry(200, 100, 50, 20);
        QVERIFY(s.handle.attach(s.control).ok());
        QVERIFY(s.handle.attach(second).ok());
        QCOMPARE(s.handle.geometry(), QRect(48, 38, 200 + 5, 80 + 5));
        QTest::keyClick(&s.handle, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(s.control->geometry(), QRect(51, 40, 100, 30));
        QCOMPARE(second->geometry(), QRect(201, 100, 50, 20));
        QTest::keyClick(&s.handle, Qt::Key_Right, Qt::ShiftModifier);  // no resizing of a group
        QCOMPARE(second->size(), QSize(50, 20));
    }

    void detachingReleasesHidesAndGoesHome()
    {
        Stage s;
        QWidget panel(&s.window);
        panel.setGeometry(0, 0, 300, 200);
        auto *inner = new QLabel(QStringLiteral("x"), &panel);
        inner->setGeometry(10, 10, 20, 20);
        QVERIFY(s.handle.attach(inner).ok());
        QCOMPARE(s.handle.parentWidget(), &panel);
        s.handle.detach();
        QVERIFY(s.handle.attachedControls().isEmpty());
        QVERIFY(!s.handle.isVisible());
        QCOMPARE(s.handle.size(), QSize(24, 24));
        QCOMPARE(s.handle.parentWidget(), &s.window);
        // Keys and drags without a control do nothing.
        QTest::keyClick(&s.handle, Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(inner->geometry(), QRect(10, 10, 20, 20));
    }

    void aDestroyedControlIsForgotten()
    {
        Stage s;
        QVERIFY(s.handle.attach(s.control).ok());
        delete s.control;
        QVERIFY(s.handle.attachedControls().isEmpty());
        QTest::keyClick(&s.handle, Qt::Key_Left, Qt::ControlModifier);  // must not touch freed memory
    }
};

QTEST_MAIN(TestStretchHandle)
#include "tst_effects_handle.moc"
