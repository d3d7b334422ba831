// The main window's layout rules on plain measures, and their application to a real window.
#include "ui/MainLayout.h"
#include "ui/Placement.h"

#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

namespace {

LayoutState at_size(LayoutState s, double outer_w, double outer_h, double client_w, double client_h)
{
    s.outer_width = outer_w;
    s.outer_height = outer_h;
    s.client_area_width = client_w;
    s.client_area_height = client_h;
    return s;
}

bool overlap(const TwipRect& a, const TwipRect& b)
{
    const double eps = 1e-6;
    return a.left < b.right() - eps && b.left < a.right() - eps && a.top < b.bottom() - eps
        && b.top < a.bottom() - eps;
}

// Every pair of visible controls that overlap, in client coordinates (command buttons lifted out
// of their frame). Pictures lie on their drop targets and buttons in their frame on purpose.
QStringList overlaps(const LayoutState& s)
{
    QMap<QString, TwipRect> all;
    for (const auto& [name, rect] : s.controls)
        all.insert(name, rect);
    all.remove(QStringLiteral("history"));
    const TwipRect frame = all.value(QStringLiteral("Frame_bottoni"));
    for (const QString& name : frame_controls()) {
        all[name].left += frame.left;
        all[name].top += frame.top;
    }
    const auto allowed = [](const QString& a, const QString& b) {
        const QString pair = a < b ? a + u'+' + b : b + u'+' + a;
        return pair == u"Picture1+Text1" || pair == u"Picture2+Text2"
            || ((frame_controls().contains(a) && b == u"Frame_bottoni")
                || (frame_controls().contains(b) && a == u"Frame_bottoni"));
    };
    QStringList found;
    const QStringList names = all.keys();
    for (int i = 0; i < names.size(); ++i) {
        for (int j = i + 1; j < names.size(); ++j) {
            if (overlap(all[names[i]], all[names[j]]) && !allowed(names[i], names[j]))
                found << names[i] + u'+' + names[j];
        }
    }
    return found;
}

}  // namespace

class TestMainLayout : public QObject {
    Q_OBJECT
private slots:
    void designed_places_are_settled_and_tidy_at_minimum();
    void rows_fill_the_width_at_every_size_data();
    void rows_fill_the_width_at_every_size();
    void second_run_settles_after_a_resize();
    void small_window_snaps_back_and_minimised_is_untouched();
    void next_subdir_visibility_and_size();
    void real_window_is_laid_out_in_pixels();
};

void TestMainLayout::designed_places_are_settled_and_tidy_at_minimum()
{
    const LayoutState designed = designed_geometry();
    for (const QString& name : laid_out_controls())
        QVERIFY2(designed.controls.count(name), qPrintable(name));

    // The designed places are what the rules give at the minimum size, from the first run.
    LayoutState again = designed;
    form_resize(again);
    for (const auto& [name, rect] : designed.controls)
        QVERIFY2(again.controls.at(name) == rect, qPrintable(name));

    QCOMPARE(designed.controls.at(QStringLiteral("List1")).height, 1980.0);
    QCOMPARE(overlaps(designed), QStringList());
    // A window system with a taller caption leaves a smaller client area: still tidy.
    LayoutState low = at_size(designed, 9615, 7230, 9500, 6000);
    form_resize(low);
    form_resize(low);
    QCOMPARE(overlaps(low), QStringList());
    QCOMPARE(low.controls.at(QStringLiteral("List1")).height, 1500.0);
}

void TestMainLayout::rows_fill_the_width_at_every_size_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::newRow("minimum") << 9615.0 << 7230.0;
    // Between these widths the panes grow past the middle list's column, below their cap.
    QTest::newRow("1350 px") << 20250.0 << 12000.0;
    QTest::newRow("1500 px") << 22500.0 << 12000.0;
    QTest::newRow("1920x1080") << 28800.0 << 16200.0;
    QTest::newRow("3840x2160") << 57600.0 << 32400.0;
}

void TestMainLayout::rows_fill_the_width_at_every_size()
{
    QFETCH(double, width);
    QFETCH(double, height);
    LayoutState s = at_size(designed_geometry(), width, height, width, height - 900);
    form_resize(s);
    form_resize(s);
    const double cw = client_width(s);
    const auto& c = s.controls;

    // Five equal lists, left to right 1 3 5 4 2, filling the width between 300-twip margins.
    const QStringList order = {QStringLiteral("List1"), QStringLiteral("List3"), QStringLiteral("List5"),
                               QStringLiteral("List4"), QStringLiteral("List2")};
    const double list_width = c.at(order[0]).width;
    QCOMPARE(c.at(order[0]).left, 300.0);
    for (int i = 1; i < 5; ++i) {
        QCOMPARE(c.at(order[i]).width, list_width);
        QCOMPARE(c.at(order[i]).left, c.at(order[i - 1]).right() + 300);
    }
    QCOMPARE(c.at(order[4]).right(), cw - 300);

    // Panes: wider with the window up to the cap, both of one width, at the two edges.
    const TwipRect drive1 = c.at(QStringLiteral("Drive1"));
    const TwipRect drive2 = c.at(QStringLiteral("Drive2"));
    const double expected = std::min((cw - 2700 - 1500) / 2, 10500.0);
    QCOMPARE(drive1.width, expected);
    QCOMPARE(drive2.width, expected);
    QCOMPARE(drive1.left, 300.0);
    QCOMPARE(drive2.right(), s.outer_width - 300);
    QVERIFY(drive1.width <= 10500);

    // Command buttons in the frame: equal, 100 apart and 100 from both ends.
    const TwipRect frame = c.at(QStringLiteral("Frame_bottoni"));
    QCOMPARE(frame.bottom(), client_height(s) - 100);
    double left = 100;
    for (const QString& name : frame_controls()) {
        QCOMPARE(c.at(name).left, left);
        QCOMPARE(c.at(name).top, 175.0);
        left = c.at(name).right() + 100;
    }
    QCOMPARE(left, frame.width);

    QCOMPARE(overlaps(s), QStringList());
}

void TestMainLayout::second_run_settles_after_a_resize()
{
    // A taller free-space label pushes List1 down; List3, List4 and List5 follow from where
    // List1 and bot_list1 were, so they lag one run behind.
    LayoutState s = at_size(designed_geometry(), 28800, 16200, 28800, 15300);
    s[u"lab_bytes_dir1"].height += 300;
    form_resize(s);
    const auto& c = s.controls;
    const auto list5_bottom = [&] { return c.at(QStringLiteral("List5")).bottom(); };
    const auto align1_bottom = [&] { return c.at(QStringLiteral("bot_list1")).bottom(); };
    QCOMPARE(list5_bottom(), align1_bottom() - 300);
    QCOMPARE(c.at(QStringLiteral("List3")).top, c.at(QStringLiteral("List1")).top - 600);

    form_resize(s);
    QCOMPARE(list5_bottom(), align1_bottom());
    const TwipRect list1 = c.at(QStringLiteral("List1"));
    for (const QString& name : {QStringLiteral("List3"), QStringLiteral("List4")}) {
        QCOMPARE(c.at(name).top, list1.top - 300);
        QCOMPARE(c.at(name).bottom(), list1.bottom() - 100);
    }
    QCOMPARE(c.at(QStringLiteral("lab_drag_drop")).top, list5_bottom() + 90);
    QCOMPARE(c.at(QStringLiteral("history")).width, client_width(s) - 120);
    QCOMPARE(c.at(QStringLiteral("history")).height, 16200.0 - 690);

    // Back at the minimum size with the designed label, the designed places come back.
    s = at_size(s, 9615, 7230, 9615, 6480);
    s[u"lab_bytes_dir1"].height -= 300;
    form_resize(s);
    form_resize(s);
    for (const auto& [name, rect] : designed_geometry().controls)
        QVERIFY2(c.at(name) == rect, qPrintable(name));
}

void TestMainLayout::small_window_snaps_back_and_minimised_is_untouched()
{
    LayoutState s = at_size(designed_geometry(), 6000, 4000, 6000, 3100);
    form_resize(s);
    QCOMPARE(s.outer_width, 9615.0);
    QCOMPARE(s.outer_height, 7230.0);
    // The client area grew with the window, so the lists are laid out for the new size.
    QCOMPARE(s.client_area_height, 6330.0);
    QCOMPARE(s.controls.at(QStringLiteral("List1")).height, 6330.0 - 4500);

    LayoutState minimised = at_size(designed_geometry(), 6000, 4000, 6000, 3100);
    minimised.minimised = true;
    const LayoutState before = minimised;
    form_resize(minimised);
    QCOMPARE(minimised.outer_width, 6000.0);
    QCOMPARE(minimised.outer_height, 4000.0);
    QVERIFY(minimised.controls == before.controls);
}

void TestMainLayout::next_subdir_visibility_and_size()
{
    for (const bool visible : {false, true}) {
        LayoutState s = designed_geometry();
        s.next_alignment_visible = visible;
        form_resize(s);
        QCOMPARE(s.next_alignment_visible, visible);
    }
    // During start-up the button keeps the size it has; afterwards it gets 1000 × 250, centred.
    LayoutState s = at_size(designed_geometry(), 20000, 9000, 20000, 8000);
    s[u"b_next_alignment"].width = 1600;
    s.starting_up = true;
    form_resize(s);
    QCOMPARE(s[u"b_next_alignment"].width, 1600.0);
    s.starting_up = false;
    form_resize(s);
    const TwipRect next = s[u"b_next_alignment"];
    QCOMPARE(next.width, 1000.0);
    QCOMPARE(next.height, 250.0);
    QCOMPARE(next.left + next.width / 2, 10000.0);
    QCOMPARE(next.top, s[u"Text1"].bottom() + 140);
}

void TestMainLayout::real_window_is_laid_out_in_pixels()
{
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    auto* client = new QWidget;
    window.setCentralWidget(client);
    auto* frame = new QFrame(client);
    frame->setObjectName(QStringLiteral("Frame_bottoni"));
    QMap<QString, QWidget*> made;
    for (const QString& name : laid_out_controls()) {
        if (name == u"Frame_bottoni" || name == u"lab_list5")  // one control left out on purpose
            continue;
        auto* widget = name.startsWith(u"bot") || name.startsWith(u"b_") ? static_cast<QWidget*>(new QPushButton)
                                                                           : new QLabel;
        widget->setParent(frame_controls().contains(name) ? static_cast<QWidget*>(frame) : client);
        widget->setObjectName(name);
        made.insert(name, widget);
    }
    made[QStringLiteral("b_next_alignment")]->hide();
    made[QStringLiteral("history")]->hide();

    place_designed(&window);
    window.resize(300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    apply_layout(&window, false);

    // Raised to the minimum outer size.
    QCOMPARE(window.frameGeometry().width(), 641);
    QCOMPARE(window.frameGeometry().height(), 482);
    const auto geometry = [&](const char* name) { return made[QString::fromLatin1(name)]->geometry(); };
    QCOMPARE(geometry("List1").x(), 20);
    QCOMPARE(geometry("List3").x() - geometry("List1").right() - 1, 20);
    QCOMPARE(geometry("List2").right() + 1, client->width() - 20);
    QCOMPARE(geometry("List5").bottom(), geometry("bot_list1").bottom());
    // Buttons are placed inside the frame, the frame inside the client area under the menu bar.
    QCOMPARE(geometry("bot_compare_tree").topLeft(), QPoint(7, 12));
    QCOMPARE(frame->geometry().bottom() + 1, to_pixels(client_height(&window)) - 7);
    QVERIFY(made[QStringLiteral("b_next_alignment")]->isHidden());

    // Growing the window moves the lists with it; the second run settles List5.
    window.resize(1280, 900);
    apply_layout(&window, false);
    QCOMPARE(geometry("List2").right() + 1, client->width() - 20);
    QCOMPARE(geometry("List5").bottom(), geometry("bot_list1").bottom());
    // (19200 − 2700 − 1500) / 2 twips.
    QCOMPARE(geometry("Drive2").width(), 500);
}

QTEST_MAIN(TestMainLayout)
#include "tst_mainlayout.moc"
