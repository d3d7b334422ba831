// The main window's layout rules on plain measures, and their application to a real window.
#include "ui/MainLayout.h"
#include "ui/Placement.h"

#include <QLabel>
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
    void rows_fill_the_width_at_every_size_data();
    void rows_fill_the_width_at_every_size();
    void designed_places_settle_and_come_back_after_a_resize();
    void size_limits();
    void real_window_is_laid_out_in_pixels();
};

void TestMainLayout::rows_fill_the_width_at_every_size_data()
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

void TestMainLayout::rows_fill_the_width_at_every_size()
{
    QFETCH(QSizeF, outer);
    QFETCH(QSizeF, client);
    LayoutState s { designed_geometry().controls, outer.width(), outer.height(), client.width(), client.height() };
    form_resize(s);
    form_resize(s);
    const double cw = client_width(s);
    QCOMPARE(overlaps(s), QStringList());

    // Five equal lists, left to right 1 3 5 4 2, filling the width between 300-twip margins.
    const QStringList order = u"List1 List3 List5 List4 List2"_s.split(u' ');
    QCOMPARE(s[order[0]].left, 300.0);
    for (int i = 1; i < 5; ++i) {
        QCOMPARE(s[order[i]].width, s[order[0]].width);
        QCOMPARE(s[order[i]].left, s[order[i - 1]].right() + 300);
    }
    QCOMPARE(s[order[4]].right(), cw - 300);
    // Panes: wider with the window up to the cap, both of one width, at the two edges.
    const TwipRect drive1 = s[u"Drive1"_s], drive2 = s[u"Drive2"_s];
    QCOMPARE(drive1.width, std::min((cw - 2700 - 1500) / 2, 10500.0));
    QCOMPARE(drive1.left, 300.0);
    QCOMPARE(drive2, (TwipRect { s.outer_width - 300 - drive1.width, drive1.top, drive1.width, drive1.height }));
    // Command buttons in the frame at the bottom: 100 apart and 100 from both ends.
    const TwipRect frame = s[u"Frame_bottoni"_s];
    QCOMPARE(frame.bottom(), client_height(s) - 100);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(s[frame_controls()[i]].left, 100 + i * (s[frame_controls()[0]].width + 100));
    QCOMPARE(s[frame_controls()[4]].right(), frame.width - 100);
}

void TestMainLayout::designed_places_settle_and_come_back_after_a_resize()
{
    // The designed places are what the rules give at the minimum size.
    LayoutState s = designed_geometry();
    form_resize(s);
    QVERIFY(s.controls == designed_geometry().controls);

    // A taller free-space label pushes List1 down; List3, List4 and List5 follow from where
    // List1 and bot_list1 were, so they settle on the second run.
    s = { s.controls, 28800, 16200, 28800, 15300 };
    s[u"lab_bytes_dir1"].height += 300;
    form_resize(s);
    form_resize(s);
    QCOMPARE(s[u"List5"].bottom(), s[u"bot_list1"].bottom());
    for (const QString& name : { u"List3"_s, u"List4"_s }) {
        QCOMPARE(s[name].top, s[u"List1"].top - 300);
        QCOMPARE(s[name].bottom(), s[u"List1"].bottom() - 100);
    }
    QCOMPARE(s[u"lab_drag_drop"].top, s[u"List5"].bottom() + 90);

    // Back at the minimum size with the designed label, the designed places come back.
    s = { s.controls, 9615, 7230, 9615, 6480 };
    s[u"lab_bytes_dir1"].height -= 300;
    form_resize(s);
    form_resize(s);
    QVERIFY(s.controls == designed_geometry().controls);
}

void TestMainLayout::size_limits()
{
    // Too small: raised to the minimum, the lists laid out for the client area that grew with it.
    // Minimised: left alone.
    for (const bool minimised : { false, true }) {
        LayoutState s { designed_geometry().controls, 6000, 4000, 6000, 3100, minimised };
        form_resize(s);
        QCOMPARE(QSizeF(s.outer_width, s.outer_height), minimised ? QSizeF(6000, 4000) : QSizeF(9615, 7230));
        QCOMPARE(s[u"List1"].height, minimised ? 6480.0 - 4500 : 6330.0 - 4500);
    }
}

void TestMainLayout::real_window_is_laid_out_in_pixels()
{
    QMainWindow window;
    window.menuBar()->addMenu(u"&File"_s);
    auto* client = new QWidget;
    window.setCentralWidget(client);
    QMap<QString, QWidget*> made;
    for (const QString& name : laid_out_controls()) {
        if (name == u"lab_list5") // one control left out on purpose
            continue;
        made[name] = new QLabel(frame_controls().contains(name) ? made[u"Frame_bottoni"_s] : client);
        made[name]->setObjectName(name);
    }
    made[u"b_next_alignment"_s]->hide();
    const auto at = [&](const char* name) { return made[QString::fromLatin1(name)]->geometry(); };
    place_designed(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QSize frame_extra = window.frameGeometry().size() - window.size();

    // Raised to the minimum outer size, then grown.
    for (const QSize size : { QSize(300, 200), QSize(1280, 900) }) {
        window.resize(size);
        apply_layout(&window, false);
        QCOMPARE(window.frameGeometry().size(), (size + frame_extra).expandedTo(QSize(641, 482)));
        QCOMPARE(at("List1").x(), 20);
        QCOMPARE(at("List2").right() + 1, client->width() - 20);
        QCOMPARE(at("List5").bottom(), at("bot_list1").bottom());
        // Buttons inside the frame, the frame inside the client area under the menu bar.
        QCOMPARE(at("bot_compare_tree").topLeft(), QPoint(7, 12));
        QCOMPARE(at("Frame_bottoni").bottom() + 1, to_pixels(client_height(&window)) - 7);
        QVERIFY(made[u"b_next_alignment"_s]->isHidden());
    }
    QCOMPARE(at("Drive2").width(), 500); // (19200 − 2700 − 1500) / 2 twips
}

QTEST_MAIN(TestMainLayout)
#include "tst_mainlayout.moc"
