// The main window's layout rules on plain measures, and where windows go on the screen.
#include "ui/MainLayout.h"
#include "ui/Placement.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QtTest>

using namespace Qt::StringLiterals;

// Every pair of overlapping controls but the pictures on their drop targets. Command buttons (held
// relative to their frame) and the history view (a window of its own) are left out.
static QStringList overlaps(LayoutState s)
{
    for (const QString& name : frame_controls() + QStringList { u"history"_s })
        s.controls.erase(name);
    QStringList found;
    for (auto a = s.controls.begin(); a != s.controls.end(); ++a) {
        for (auto b = std::next(a); b != s.controls.end(); ++b) {
            const TwipRect &p = a->second, &q = b->second;
            const QString pair = a->first + u'+' + b->first; // the map is sorted: a before b
            if (std::min(p.right(), q.right()) - std::max(p.left, q.left) > 1e-6
                && std::min(p.bottom(), q.bottom()) - std::max(p.top, q.top) > 1e-6 && pair != u"Picture1+Text1"
                && pair != u"Picture2+Text2")
                found << pair;
        }
    }
    return found;
}

class TestMainLayout : public QObject {
    Q_OBJECT
private slots:
    void rows_fill_the_width_at_every_size_data()
    {
        QTest::addColumn<QSizeF>("outer");
        QTest::addColumn<QSizeF>("client");
        QTest::newRow("minimum") << QSizeF(9615, 7230) << QSizeF(9615, 6480);
        QTest::newRow("taller caption") << QSizeF(9615, 7230) << QSizeF(9500, 6000);
        // Panes wider than the middle list's column, below their cap.
        QTest::newRow("1350 px") << QSizeF(20250, 12000) << QSizeF(20250, 11100);
        QTest::newRow("1920x1080") << QSizeF(28800, 16200) << QSizeF(28800, 15300);
        QTest::newRow("3840x2160") << QSizeF(57600, 32400) << QSizeF(57600, 31500);
    }

    void rows_fill_the_width_at_every_size()
    {
        QFETCH(QSizeF, outer);
        QFETCH(QSizeF, client);
        LayoutState s { designed_geometry().controls, outer.width(), outer.height(), client.width(), client.height() };
        form_resize(s);
        form_resize(s);
        QCOMPARE(overlaps(s), QStringList());

        // Five equal lists, left to right 1 3 5 4 2, the margins at both ends equal to the gaps.
        const QStringList order = u"List1 List3 List5 List4 List2"_s.split(u' ');
        const double gap = s[order[0]].left;
        for (int i = 1; i < 5; ++i) {
            QCOMPARE(s[order[i]].width, s[order[0]].width);
            QCOMPARE(s[order[i]].left, s[order[i - 1]].right() + gap);
        }
        QCOMPARE(s[order[4]].right(), client_width(s) - gap);
        // Panes of one width at the two edges, capped.
        const TwipRect drive1 = s[u"Drive1"_s], drive2 = s[u"Drive2"_s];
        QVERIFY(drive1.left == gap && drive1.width <= max_pane_width);
        QCOMPARE(drive2, (TwipRect { s.outer_width - gap - drive1.width, drive1.top, drive1.width, drive1.height }));
        // Command buttons inside the frame, in order, the frame inside the client area.
        const TwipRect frame = s[u"Frame_bottoni"_s];
        QVERIFY(frame.bottom() < client_height(s) && frame.right() <= client_width(s));
        for (int i = 0; i < 5; ++i) {
            const TwipRect b = s[frame_controls()[i]];
            QVERIFY(b.left > (i ? s[frame_controls()[i - 1]].right() : 0) && b.right() < frame.width);
        }
    }

    void designed_places_settle_and_come_back_after_a_resize()
    {
        // The designed places are what the rules give at the minimum size.
        LayoutState s = designed_geometry();
        form_resize(s);
        QVERIFY(s.controls == designed_geometry().controls);

        // A taller free-space label pushes List1 down; the lists beside it follow on the second run.
        s = { s.controls, 28800, 16200, 28800, 15300 };
        s[u"lab_bytes_dir1"].height += 300;
        form_resize(s);
        form_resize(s);
        QCOMPARE(s[u"List3"].top, s[u"List1"].top - 300);
        QCOMPARE(s[u"List5"].bottom(), s[u"bot_list1"].bottom());
        QCOMPARE(s[u"List3"].top, s[u"List4"].top);

        // Back at the minimum size with the designed label, the designed places come back.
        s = { s.controls, 9615, 7230, 9615, 6480 };
        s[u"lab_bytes_dir1"].height -= 300;
        form_resize(s);
        form_resize(s);
        QVERIFY(s.controls == designed_geometry().controls);

        for (const bool minimised : { false, true }) {
            s = { designed_geometry().controls, 6000, 4000, 6000, 3100, minimised };
            form_resize(s);
            QCOMPARE(QSizeF(s.outer_width, s.outer_height),
                minimised ? QSizeF(6000, 4000) : QSizeF(min_outer_width, min_outer_height));
        }
    }

    void centred_clear_of_taskbars_and_measured_under_the_menu_bar()
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

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        apply_layout(&window, false); // none of the controls is there yet: nothing to place
        place_main_window(&window);
        const TwipRect free = usable_screen_area(&window);
        const QRect frame = window.frameGeometry();
        QCOMPARE(frame.x(), to_pixels(free.left + (free.width - to_twips(frame.width())) / 2));
        QCOMPARE(frame.y(), to_pixels(free.top + (free.height - to_twips(frame.height())) / 2));
    }
};

QTEST_MAIN(TestMainLayout)
#include "tst_mainlayout.moc"
