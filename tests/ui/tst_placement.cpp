// Where windows go on the screen, and the client measures of a window with a menu bar.
#include "ui/Placement.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QtTest>

class TestPlacement : public QObject {
    Q_OBJECT
private slots:
    void centred_clear_of_taskbars_and_measured_under_the_menu_bar();
};

void TestPlacement::centred_clear_of_taskbars_and_measured_under_the_menu_bar()
{
    // Free pixels of a 1920 × 1080 screen, window size in twips, expected top-left in twips.
    const struct {
        QRect free;
        double w, h;
        QPointF at;
    } cases[] = {
        { { 60, 0, 1860, 1080 }, 9615, 7230, { 900 + (27900 - 9615) / 2.0, (16200 - 7230) / 2.0 } }, // bar at left
        { { 60, 0, 1860, 1080 }, 40000, 20000, { 900, 0 } }, // too large: right of the bar, caption on screen
        { { 0, 40, 1920, 1040 }, 9615, 7230, { (28800 - 9615) / 2.0, 600 + (15600 - 7230) / 2.0 } }, // bar at top
        { { 0, 40, 1920, 1040 }, 9615, 20000, { (28800 - 9615) / 2.0, 600 } }, // too tall: starts below the bar
    };
    for (const auto& c : cases)
        QCOMPARE(centred_position(c.w, c.h, to_twip_rect(c.free)), c.at);

    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.setCentralWidget(new QWidget);
    window.resize(641, 482);
    // Not shown yet: the central area already follows the size, under the menu bar.
    const QRect client = client_area(&window);
    QVERIFY(client.top() > 0 && client.bottom() == 481);
    QCOMPARE(client_width(&window), 9615.0);
    QCOMPARE(client_height(&window), std::min(to_twips(client.height()), 7230.0 - 750));

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    place_main_window(&window);
    const TwipRect free = usable_screen_area(&window);
    const QRect frame = window.frameGeometry();
    QCOMPARE(frame.x(), to_pixels(free.left + (free.width - to_twips(frame.width())) / 2));
    QCOMPARE(frame.y(), to_pixels(free.top + (free.height - to_twips(frame.height())) / 2));
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
