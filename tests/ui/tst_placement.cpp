// Where windows go on the screen, and the client measures of a window with a menu bar.
#include "ui/Placement.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QtTest>

class TestPlacement : public QObject {
    Q_OBJECT
private slots:
    void centred_in_the_area_a_taskbar_leaves();
    void client_measures_of_a_main_window();
};

void TestPlacement::centred_in_the_area_a_taskbar_leaves()
{
    const double w = 9615, h = 7230;
    // Taskbar of 60 px standing at the left edge of a 1920 × 1080 screen.
    const TwipRect left_bar = to_twip_rect(QRect(60, 0, 1860, 1080));
    QPointF at = centred_position(w, h, left_bar);
    QCOMPARE(at.x(), 900.0 + (27900.0 - w) / 2);
    QCOMPARE(at.y(), (16200.0 - h) / 2);
    // A window wider than the free area starts right of the taskbar, not under it; a taller one
    // keeps its caption on the screen.
    at = centred_position(40000, 20000, left_bar);
    QCOMPARE(at, QPointF(900, 0));

    // Taskbar of 40 px at the bottom: centred in the area above it.
    at = centred_position(w, h, to_twip_rect(QRect(0, 0, 1920, 1040)));
    QCOMPARE(at.y(), (15600.0 - h) / 2);
    // Taskbar at the top: the window starts below it.
    at = centred_position(w, 20000, to_twip_rect(QRect(0, 40, 1920, 1040)));
    QCOMPARE(at.y(), 600.0);
}

void TestPlacement::client_measures_of_a_main_window()
{
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.setCentralWidget(new QWidget);
    window.resize(641, 482);
    // Not shown yet: the central area must already follow the size, under the menu bar.
    const QRect client = client_area(&window);
    QVERIFY(client.top() > 0);
    QCOMPARE(client.bottom(), 481);
    QCOMPARE(client_width(&window), 9615.0);
    QCOMPARE(client_height(&window), std::min(to_twips(client.height()), 7230.0 - 750));

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    place_main_window(&window);
    const TwipRect usable = usable_screen_area(&window);
    const QRect frame = window.frameGeometry();
    QCOMPARE(frame.x(), to_pixels(usable.left + (usable.width - to_twips(frame.width())) / 2));
    QCOMPARE(frame.y(), to_pixels(usable.top + (usable.height - to_twips(frame.height())) / 2));
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
