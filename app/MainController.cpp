#include "app/MainController.h"

#include "app/CommandLine.h"
#include "app/DateText.h"
#include "compare/PairComparison.h"
#include "platform/FileSystem.h"
#include "platform/Names.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "platform/UserPort.h"
#include "transfer/Alignment.h"
#include "transfer/CopyFile.h"
#include "transfer/DragDrop.h"
#include "transfer/OpenRun.h"

namespace {

// A path longer than the system takes may well exist: saying it is missing would mislead.
QString missing_path_text(const QString& path)
{
    return (path_too_long(path) ? QStringLiteral("Path is too long for this system: ")
                                : QStringLiteral("Path does not exist: "))
        + path;
}

} // namespace

MainController::MainController(FileSystem& fs, UserPort& port, SettingsStore& settings, Trace& trace, QObject* parent)
    : QObject(parent)
    , fs_(fs)
    , port_(port)
    , settings_(settings)
    , trace_(trace)
    , pane1_(fs)
    , pane2_(fs)
    , transfers_ { fs, port, session_.lists, session_.dir1, session_.dir2, session_.held1, session_.held2,
        gate_.cancel(), *this }
    , dir_commands_(fs, port, pane1_, pane2_, *this)
    , deletion_(transfers_)
{
    connect(&pane1_, &DirPane::path_changed, this, [this] { Dir_Change(1); });
    connect(&pane2_, &DirPane::path_changed, this, [this] { Dir_Change(2); });
}

void MainController::auto_next()
{
    if (tree_)
        tree_->auto_next();
}

void MainController::refill_lists()
{
    pane2_.refresh_files();
    fill_list_from_files(pane2_, session_.lists.list(2));
    pane1_.refresh_files();
    fill_list_from_files(pane1_, session_.lists.list(1));
}

void MainController::wait(double seconds)
{
    Wait_seconds(port_, seconds);
}

void MainController::files_changed()
{
    pane1_.refresh_files();
    pane2_.refresh_files();
    show_file_lists();
}

bool MainController::option_value(const QString& stored)
{
    // The leading number of the text, as the store's readers have always taken it: optional
    // blanks, an optional sign, digits. A number too large for 16 bits still means "on".
    const QString t = stored.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        ++i;
    bool non_zero = false;
    bool any_digit = false;
    for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 128; ++i) {
        any_digit = true;
        non_zero = non_zero || t[i] != u'0';
    }
    return any_digit && non_zero;
}

void MainController::Main(const QString& command_line, const QString& history_file)
{
    starting_up_ = true;
    form_load(command_line, history_file);
}

bool MainController::invalid_format_exit()
{
    port_.message(invalid_command_line_text(QStringLiteral("\r\n")));
    end_program(2);
    return false;
}

void MainController::end_program(int code)
{
    ended_ = true;
    port_.set_busy(false);
    port_.end_program(code);
}

bool MainController::take_recovery_route(const QString& command_line)
{
    port_.message(QStringLiteral("Directory not found or disk drive not ready (") + command_line + QStringLiteral(")"));
    pane1_.set_drive(current_drive_);
    pane2_.set_drive(current_drive_);
    const FsError e1 = pane1_.set_path(current_drive_);
    const FsError e2 = pane2_.set_path(current_drive_);
    return !e1.failed() && !e2.failed();
}

bool MainController::form_load(const QString& command_line, const QString& history_file)
{
    port_.set_busy(true);
    read_options();
    current_drive_ = fs_.volume_root(fs_.current_dir());
    emit placing_window();

    QString shown_line = command_line.trimmed();
    CommandLine parsed = parse_command_line(shown_line);
    const bool pair_from_command_line = parsed.kind != CommandLine::Kind::Empty;
    if (!pair_from_command_line) {
        shown_line = current_drive_ + QStringLiteral(" | ") + current_drive_;
        parsed = { CommandLine::Kind::Pair, current_drive_, current_drive_ };
    }
    if (parsed.kind == CommandLine::Kind::Invalid)
        return invalid_format_exit();
    const bool tree_pair = parsed.kind == CommandLine::Kind::TreePair;
    session_.set_dirs(parsed.dir1, parsed.dir2);

    const std::optional<bool> recovered = open_pair(parsed.dir1, parsed.dir2, shown_line);
    if (!recovered)
        return false;
    const bool gave_up = fill_lists(*recovered, shown_line);
    return finish_start(pair_from_command_line, tree_pair, gave_up, history_file);
}

void MainController::read_options()
{
    state_.set_ignore_one_hour_checked(
        option_value(settings_.get_setting(QString::fromLatin1(setting_ignore_one_hour))));
    // On unless turned off.
    const QString trash = settings_.get_setting(QString::fromLatin1(setting_delete_to_trash));
    state_.set_delete_to_trash_checked(trash.trimmed().isEmpty() || option_value(trash));
    state_.set_cancel_enabled(false);
}

std::optional<bool> MainController::open_pair(const QString& side1, const QString& side2, const QString& command_line)
{
    // From here a failure to set the drives or the panes takes the recovery route, once.
    bool recovered = false;
    FsError err = pane1_.set_drive(fs_.volume_root(session_.dir1.path()));
    if (!err.failed())
        err = pane2_.set_drive(fs_.volume_root(session_.dir2.path()));
    if (!err.failed()) {
        port_.set_busy(true);
        for (const QString& side : { side1, side2 }) {
            if (!fs_.dir_exists(side)) {
                port_.message(missing_path_text(side));
                end_program(2);
                return std::nullopt;
            }
        }
        session_.set_dirs(side1, side2);
        err = pane1_.set_path(session_.dir1.path());
        if (!err.failed())
            err = pane2_.set_path(session_.dir2.path());
    }
    if (err.failed()) {
        take_recovery_route(command_line);
        recovered = true;
    }
    return recovered;
}

bool MainController::fill_lists(bool recovered, const QString& command_line)
{
    // The continuation point.
    bool gave_up = false;
    for (;;) {
        port_.set_busy(true);
        const FsError files1 = pane1_.refresh_files();
        const FsError files2 = pane2_.refresh_files();
        read_dir_panes();
        show_file_lists();
        clear_free_space_labels();
        if (!files1.failed() && !files2.failed())
            break;
        if (recovered) {
            // A second failure: the panes stay at the current drive's root and nothing is compared.
            gave_up = true;
            break;
        }
        take_recovery_route(command_line);
        recovered = true;
    }
    return gave_up;
}

bool MainController::finish_start(
    bool pair_from_command_line, bool tree_pair, bool gave_up, const QString& history_file)
{
    if (history_) {
        history_->load_history(history_file);
        // A pair named on the command line is what the person asked to see; the newest history
        // entry is reopened only when the command line is empty.
        if (!pair_from_command_line && !gave_up)
            history_->apply_history_entry(history_->newest_history_entry(), false);
    }

    port_.set_busy(false);
    port_.set_main_window_visible(true);

    if (tree_pair && tree_ && !gave_up) {
        port_.process_events();
        tree_->start_tree_comparison();
        starting_up_ = false;
        return !ended_;
    }
    // Without a tree comparison plugged in, a tree command line compares its two roots.
    if (!gave_up && !names_equal(session_.dir1.path(), session_.dir2.path()))
        compare_directories();
    starting_up_ = false;
    emit layout_wanted();
    return !ended_;
}

void MainController::read_dir_panes()
{
    session_.set_dirs(pane1_.Path(), pane2_.Path());
}

void MainController::clear_free_space_labels()
{
    state_.set_bytes_free(1, QString());
    state_.set_bytes_free(2, QString());
}

void MainController::Dir_Change(int pane_number)
{
    DirPane& pane = this->pane(pane_number);
    port_.set_busy(true);
    pane.add_hidden_folders();
    pane.refresh_files();
    (pane_number == 1 ? session_.dir1 : session_.dir2) = DirPath(pane.Path());
    (pane_number == 1 ? session_.held1 : session_.held2)
        = fs_.hold_dir((pane_number == 1 ? session_.dir1 : session_.dir2).path());
    show_file_lists();
    port_.set_busy(false);
}

void MainController::Drive_Change(int pane_number, const QString& volume_root)
{
    if (!gate_.admit())
        return;
    DirPane& pane = this->pane(pane_number);
    port_.set_busy(true);
    clear_free_space_labels();
    // Pane 1 empties the lists before it moves, pane 2 after: a failed move of pane 2 leaves the
    // comparison on screen.
    if (pane_number == 1)
        session_.lists.clear_all();
    const FsError err = pane.set_drive(volume_root);
    if (!err.failed() && pane_number == 2)
        session_.lists.clear_all();
    port_.set_busy(false);
    if (err.failed()) {
        port_.message(QString::number(err.number) + u' ' + err.description);
        // Back to the drive of the directory the pane still shows.
        pane.set_drive(fs_.volume_root(pane.Path()));
    }
}

void MainController::show_file_lists()
{
    FileListsModel& lists = session_.lists;
    lists.set_hint(QString());
    lists.clear_all();
    lists.set_align_buttons_visible(false);
    state_.set_cancel_enabled(false);
    lists.set_plain_captions();
    fill_list_from_files(pane1_, lists.list(1));
    fill_list_from_files(pane2_, lists.list(2));
    state_.set_next_alignment_visible(false);
    emit plain_view_shown();
}

void MainController::fill_list_from_files(const DirPane& pane, FileListModel& list)
{
    list.set_names(pane.files());
}

void MainController::bot_compare_Click()
{
    run(Running::Comparison, [this] { compare_shown_pair(); });
}

void MainController::compare_shown_pair()
{
    const RunScope scope(gate_, Running::Comparison);
    port_.set_busy(true);
    port_.set_main_window_visible(false);
    compare_directories();
    set_default_comment();
    port_.set_busy(false);
    port_.set_main_window_visible(true);
}

ShownPair MainController::show_pair(const QString& dir1, const QString& dir2)
{
    QString failed_path = dir1;
    FsError err = pane1_.set_path(dir1);
    if (!err.failed()) {
        failed_path = dir2;
        err = pane2_.set_path(dir2);
    }
    if (err.failed()) {
        // A directory gone since it was chosen gets the standing message; any other refusal (one
        // that cannot be read) says why, so it is not taken for a missing one.
        const bool gone = is_missing(err) || err.number == err_device_unavailable || err.number == err_disk_not_ready;
        port_.message(gone ? QStringLiteral("Directory not found or disk drive not ready.")
                           : report_error_text(err) + QStringLiteral(" (") + failed_path + u')');
        const QString here = fs_.current_dir();
        pane1_.set_path(here);
        pane2_.set_path(here);
    }
    ShownPair shown;
    shown.panes_set = !err.failed();
    if (history_)
        history_->close_view();
    read_dir_panes();
    if (!names_equal(session_.dir1.path(), session_.dir2.path())) {
        shown.compared = true;
        shown.outcome = compare_directories();
    }
    clear_free_space_labels();
    return shown;
}

void MainController::move_panes(const QString& dir1, const QString& dir2)
{
    pane1_.set_path(dir1);
    pane2_.set_path(dir2);
}

qint64 MainController::difference_count() const
{
    return session_.lists.difference_count() + (session_.last.complete ? 0 : 1);
}

PairOutcome MainController::compare_directories()
{
    const RunScope scope(gate_, Running::Comparison);
    FileListsModel& lists = session_.lists;
    bool listed = true;
    bool unknown = false;
    port_.set_busy(true);

    if (same_directory(fs_, pane1_.Path(), pane2_.Path())) {
        port_.message(equal_directories_message(), MsgIcon::Critical);
    } else {
        lists.set_comparison_captions();
        lists.set_align_buttons_visible(true);
        state_.set_cancel_enabled(true);

        port_.process_events();
        lists.clear_all();
        port_.process_events();

        read_dir_panes();
        // What is done with the lists from now on is done in the directories they are read from.
        session_.held1 = fs_.hold_dir(session_.dir1.path());
        session_.held2 = fs_.hold_dir(session_.dir2.path());
        if (history_ && !(tree_ && tree_->walk_active()) && !starting_up_)
            history_->add_to_history();
        port_.set_busy(true);

        ListingErrors errors;
        const Classification result = compare_listed_directories(
            fs_, port_, session_.dir1.path(), session_.dir2.path(), state_.ignore_one_hour_checked(), &errors);
        // A directory that cannot be read is not an empty one: classifying it as such would offer
        // every file of the other side for copying or deletion.
        listed = !errors.dir1.failed() && !errors.dir2.failed();
        // Unreadable names and a cut listing leave part of the pair unknown, which is not aligned.
        unknown = !result.unreadable_dir1.isEmpty() || !result.unreadable_dir2.isEmpty() || result.listing_cut;
        if (errors.dir1.failed())
            port_.message(report_error_text(errors.dir1) + QStringLiteral(" (") + session_.dir1.path() + u')');
        if (errors.dir2.failed())
            port_.message(report_error_text(errors.dir2) + QStringLiteral(" (") + session_.dir2.path() + u')');
        if (listed) {
            lists.list(1).set_names(result.only_in_dir1);
            lists.list(2).set_names(result.only_in_dir2);
            lists.list(3).set_names(result.newer_in_dir1);
            lists.list(4).set_names(result.newer_in_dir2);
            lists.list(5).set_names(result.aligned);
        }
    }

    // A pair that could not be listed in full is not an aligned one.
    session_.last = { lists.difference_count() != 0 || !listed || unknown, listed && !unknown };
    port_.set_busy(false);
    return session_.last;
}

QString MainController::file_details(const QString& path) const
{
    const Result<FileInfo> info = fs_.info(path);
    if (!info.ok())
        return {};
    const QDateTime when = QDateTime::fromSecsSinceEpoch(info.value.mtime);
    return date_time_text(when) + QStringLiteral(", bytes ") + QString::number(info.value.length) + u' ' + path;
}

void MainController::list_mouse_move(int list_number, int row)
{
    const FileListModel& list = session_.lists.list(list_number);
    if (row < 0 || row >= list.count()) {
        set_default_comment();
        return;
    }
    const QString name = list.at(row);
    QStringList paths;
    if (list_number != 2)
        paths << session_.dir1.file(name);
    if (list_number != 1) {
        // Entries of lists 3 to 5 are spelled as in dir 1; the dir-2 file may differ in case.
        const QString name2 = list_number == 2 ? name : fs_.resolve_case(session_.dir2.path(), name);
        paths << session_.dir2.file(name2);
    }
    QString text;
    session_.lists.set_hint(text);
    for (const QString& path : paths) {
        const QString line = file_details(path);
        if (line.isEmpty())
            break; // a file gone since the comparison: the hint stays as far as it got
        if (!text.isEmpty())
            text += u'\n';
        text += line;
        session_.lists.set_hint(text);
    }
}

void MainController::exit_Click()
{
    // A copy under way stops at its next chunk, removing its temporary file; no other starts.
    transfers_.abandon = true;
    gate_.cancel().request();
    end_program(0);
}

void MainController::bot_list_Click(int list_number)
{
    run(Running::Alignment, [&] { ::bot_list_Click(transfers_, list_number); });
    if (transfers_.ended)
        ended_ = true;
}

void MainController::list_drag_drop(int source, int target, const QString& name)
{
    run(Running::Drop, [&] { ::list_drag_drop(transfers_, source, target, name); });
    if (transfers_.ended)
        ended_ = true;
}

void MainController::m_ignore_one_hour_differences_Click()
{
    const bool on = !state_.ignore_one_hour_checked();
    state_.set_ignore_one_hour_checked(on);
    settings_.save_setting(
        QString::fromLatin1(setting_ignore_one_hour), on ? QStringLiteral("-1") : QStringLiteral("0"));
}

void MainController::m_skip_delete_confirmations_Click()
{
    state_.set_skip_delete_confirmations_checked(!state_.skip_delete_confirmations_checked());
}

void MainController::m_refresh_Click()
{
    if (!gate_.admit())
        return;
    port_.set_busy(true);
    dir_commands_.m_refresh();
    clear_free_space_labels();
    port_.set_busy(false);
}

void MainController::m_delete_to_trash_Click()
{
    const bool on = !state_.delete_to_trash_checked();
    state_.set_delete_to_trash_checked(on);
    settings_.save_setting(
        QString::fromLatin1(setting_delete_to_trash), on ? QStringLiteral("-1") : QStringLiteral("0"));
}

QString MainController::Text1_DragDrop(Shell& shell, int list, const QString& name)
{
    // Only an entry the list shows: a drag may carry a name from another window.
    if (list < 1 || list > FileListsModel::list_count || session_.lists.list(list).index_of(name) < 0)
        return {};
    QString opened;
    run(Running::Drop, [&] {
        opened = open_list_entry(
            fs_, &trace_, shell, list, name, session_.dir1, session_.dir2, [this](int seconds) { wait(seconds); });
    });
    return opened;
}

void MainController::Text1_drop_text(Shell& shell, const QString& text)
{
    run(Running::Drop, [&] { Shell_open(fs_, &trace_, shell, text); });
}

void MainController::bot_delete_Click()
{
    run(Running::Deletion, [this] { deletion_.bot_delete_Click(); });
}

void MainController::m_select_all_Click()
{
    run(Running::Deletion, [this] { deletion_.m_select_all_Click(); });
}

void MainController::m_delete_selected_files_Click()
{
    run(Running::Deletion, [this] { deletion_.m_delete_selected_files_Click(); });
}

void MainController::m_delete_all_files_Click()
{
    run(Running::Deletion, [this] { deletion_.m_delete_all_files_Click(); });
}

void MainController::Text2_DragDrop(int list, const QString& name)
{
    run(Running::Deletion, [&] { deletion_.Text2_DragDrop(list, name); });
}

void MainController::directory_command(void (DirectoryCommands::*command)())
{
    if (gate_.admit())
        (dir_commands_.*command)();
}
