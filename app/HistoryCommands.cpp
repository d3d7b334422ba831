#include "app/HistoryCommands.h"

#include "app/RunGate.h"
#include "platform/FileSystem.h"
#include "platform/UserPort.h"

HistoryCommands::HistoryCommands(
    PairView& view, FileSystem& fs, UserPort& port, const QString& fallback_file, QObject* parent)
    : QObject(parent)
    , view_(view)
    , fs_(fs)
    , port_(port)
    , store_(fs, port)
    , fallback_file_(fallback_file)
{
    connect(&store_, &HistoryStore::changed, this, [this] {
        if (selected_ >= store_.count())
            set_selected(-1);
    });
}

void HistoryCommands::load_history(const QString& file)
{
    store_.set_files(file, fallback_file_);
    store_.load_history();
}

void HistoryCommands::add_to_history()
{
    // A save that had to move to the user's data folder moves the store's file for the rest of
    // the run.
    store_.add_to_history(history_entry(view_.pane_path(1), view_.pane_path(2)));
}

void HistoryCommands::apply_history_entry(const QString& entry, bool show_errors)
{
    port_.set_main_window_visible(false);
    port_.set_busy(true);
    auto done = [this] {
        port_.set_busy(false);
        port_.set_main_window_visible(true);
    };
    QString dir1, dir2;
    if (!split_history_entry(entry, dir1, dir2)) {
        done();
        return;
    }
    for (const QString& dir : { dir1, dir2 }) {
        if (!fs_.dir_exists(dir)) {
            port_.set_busy(false);
            if (show_errors)
                port_.message(QStringLiteral("Bad path: ") + dir);
            done();
            return;
        }
    }
    const ShownPair shown = view_.show_pair(dir1, dir2);
    if (!view_.starting_up() && shown.panes_set)
        emit tree_comparison_wanted();
    done();
}

void HistoryCommands::set_view_open(bool open)
{
    if (view_open_ == open)
        return;
    view_open_ = open;
    emit view_changed();
}

void HistoryCommands::set_selected(int row)
{
    const int r = row >= 0 && row < store_.count() ? row : -1;
    if (r == selected_)
        return;
    selected_ = r;
    emit view_changed();
}

void HistoryCommands::m_history_Click()
{
    if (store_.count() == 0) {
        port_.message(QStringLiteral("No history data available."));
        return;
    }
    set_view_open(true);
    set_selected(0);
    emit view_changed(); // the window gives the list the focus again
}

void HistoryCommands::m_close_Click()
{
    set_view_open(false);
}

void HistoryCommands::m_select_Click()
{
    if (selected_ < 0 || !view_.gate().admit())
        return;
    const RunScope scope(view_.gate(), Running::Comparison);
    apply_history_entry(store_.entries().value(selected_), true);
}

void HistoryCommands::history_DblClick(int row)
{
    set_selected(row);
    m_select_Click();
}

void HistoryCommands::m_delete_Click()
{
    if (store_.count() == 0) {
        m_close_Click();
        return;
    }
    if (selected_ < 0) {
        port_.message(QStringLiteral("No record is selected."));
        return;
    }
    const int row = selected_;
    set_selected(-1);
    store_.remove_at(row);
    if (store_.count() == 0)
        m_close_Click();
}

void HistoryCommands::m_clear_all_Click()
{
    set_selected(-1);
    store_.clear();
    m_close_Click();
}

bool HistoryCommands::Form_KeyDown(int key, bool in_history_list)
{
    switch (key) {
    case Qt::Key_F8:
        m_history_Click();
        return true;
    case Qt::Key_Backspace:
        if (view_open_)
            m_select_Click();
        else
            m_history_Click();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!view_open_)
            return false;
        m_select_Click();
        return true;
    case Qt::Key_Delete:
        if (!view_open_ || !in_history_list)
            return false;
        m_delete_Click();
        return true;
    default:
        return false;
    }
}
