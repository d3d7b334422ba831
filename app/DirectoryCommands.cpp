// The directory commands of the panes' context menu, and the refresh command.
#include "app/DirectoryCommands.h"

#include "app/DirPane.h"
#include "platform/DirPath.h"
#include "platform/FileSystem.h"
#include "platform/Names.h"
#include "platform/Paths.h"
#include "platform/UserPort.h"

#include <algorithm>

DirectoryCommands::DirectoryCommands(
    FileSystem& fs, UserPort& port, DirPane& pane1, DirPane& pane2, DirectoryHost& host)
    : fs_(fs)
    , port_(port)
    , pane1_(pane1)
    , pane2_(pane2)
    , host_(host)
{
}

DirPane& DirectoryCommands::chosen_pane()
{
    return popup_dir_pane == 1 ? pane1_ : pane2_;
}

DirPane& DirectoryCommands::other_pane()
{
    return popup_dir_pane == 1 ? pane2_ : pane1_;
}

void DirectoryCommands::tell(const QString& text)
{
    port_.message(text, MsgIcon::Exclamation, app_title());
}

void DirectoryCommands::report_error(const FsError& error)
{
    port_.message(report_error_text(error), MsgIcon::None, app_title());
}

void DirectoryCommands::reread(DirPane& pane)
{
    pane.refresh();
    pane.add_hidden_folders();
}

// True when some entry other than `self` is already spelled like `path` ignoring case: on a
// case-sensitive disk it would become a second entry that pairs with the same name elsewhere.
bool DirectoryCommands::name_taken(const QString& path, const QString& self) const
{
    const Result<bool> exact = fs_.exists(path);
    if (exact.ok() && exact.value)
        return path != self;
    const DirPath dir = DirPath(path).parent();
    const QString spelled = fs_.resolve_case(dir.bare(), leaf_name(path));
    if (spelled == leaf_name(path))
        return false;
    return dir.file(spelled) != self;
}

// Both sides of every comparison are resolved on disk: a path typed through a link names the
// same volume root as its target.
bool DirectoryCommands::is_volume_root(const QString& dir) const
{
    const Result<QString> real = fs_.canonical_path(dir);
    if (!real.ok())
        return false;
    if (real.value == QString(path_separator) || fs_.is_mount_point(real.value))
        return true;
    QStringList roots { fs_.volume_root(dir) };
    for (const Volume& v : fs_.volumes())
        roots << v.root;
    return std::any_of(roots.cbegin(), roots.cend(), [&](const QString& root) {
        const Result<QString> r = fs_.canonical_path(root);
        return r.ok() && r.value == real.value;
    });
}

// True when the other pane shows `dir` or a directory inside it, also when either reaches there
// through a symbolic link.
bool DirectoryCommands::holds_other_pane(const QString& dir) const
{
    const QString other = (popup_dir_pane == 1 ? pane2_ : pane1_).Path();
    if (other.isEmpty())
        return false;
    if (is_same_or_below(other, dir))
        return true;
    const Result<QString> real_dir = fs_.canonical_path(dir);
    const Result<QString> real_other = fs_.canonical_path(other);
    return real_dir.ok() && real_other.ok() && is_same_or_below(real_other.value, real_dir.value);
}

void DirectoryCommands::m_create_dir()
{
    DirPane& pane = chosen_pane();
    const QString dir = pane.Path();
    const Result<HeldTarget> held = fs_.hold_target(dir);
    const std::optional<QString> answer = port_.input_box(QStringLiteral("Name of subdirectory?\n(in ") + dir + u')',
        QStringLiteral("Creating subdirectory of ") + dir, {});
    if (!answer)
        return;
    const QString name = *answer;
    if (name.trimmed().isEmpty()) {
        tell(QStringLiteral("Please type a name for the new subdirectory of ") + dir + u'.');
        return;
    }
    if (name.contains(path_separator) || name.contains(QChar(0)) || name == u"." || name == u"..") {
        tell(QStringLiteral("\"") + name
            + QStringLiteral("\" cannot be the name of a subdirectory: a name must not be "
                             "\".\" or \"..\" nor contain \"/\"."));
        return;
    }
    const QString path = DirPath(dir).file(name);
    if (name_taken(path, {})) {
        report_error(make_error(err_file_exists));
        return;
    }
    if (const FsError e = held.ok() ? fs_.make_dir_in(held.value, name) : held.error) {
        report_error(e);
        return;
    }
    reread(pane1_);
    reread(pane2_);
}

void DirectoryCommands::m_rename_dir()
{
    DirPane& pane = chosen_pane();
    const QString dir = pane.Path();
    const Result<HeldTarget> held = fs_.hold_target(dir);
    const std::optional<QString> answer = port_.input_box(
        QStringLiteral("New name of directory?\n(currently ") + dir + u')', QStringLiteral("Renaming ") + dir, {});
    if (!answer)
        return;
    if (answer->trimmed().isEmpty()) {
        tell(QStringLiteral("Please type the new name of directory ") + dir + u'.');
        return;
    }
    if (is_volume_root(dir)) {
        tell(QStringLiteral("The root of a volume cannot be renamed: ") + dir);
        return;
    }
    // A bare name renames the directory where it stands; a complete path moves it there.
    const QString target = clean_path(is_absolute_path(*answer) ? *answer : DirPath(dir).parent().file(*answer));
    if (target == dir)
        return;
    if (is_same_or_below(target, dir)) {
        tell(QStringLiteral("A directory cannot be moved into itself: ") + target);
        return;
    }
    if (name_taken(target, dir)) {
        report_error(make_error(err_file_exists));
        return;
    }
    if (const FsError e = held.ok() ? fs_.rename_held(held.value, target) : held.error) {
        report_error(e);
        return;
    }

    // The other pane may show the renamed directory or one inside it: it follows to the new place.
    DirPane& other = other_pane();
    const QString other_path = other.Path();
    if (is_same_or_below(other_path, dir))
        other.set_path(target + other_path.mid(dir.size()));
    // The rename is done: the panes show what is there now, even when the pane cannot follow.
    if (const FsError e = pane.set_path(target))
        report_error(e);
    reread(pane);
    reread(other);
}

void DirectoryCommands::m_delete_dir()
{
    DirPane& pane = chosen_pane();
    const QString dir = pane.Path();
    if (dir.isEmpty())
        return;
    if (is_volume_root(dir)) {
        tell(QStringLiteral("The root of a volume cannot be deleted: ") + dir);
        return;
    }
    if (holds_other_pane(dir)) {
        tell(QStringLiteral("Directory ") + dir
            + QStringLiteral(" cannot be deleted while the other pane shows it or a directory inside it."));
        return;
    }
    const Result<HeldTarget> held = fs_.hold_target(dir);
    if (!held.ok()) {
        report_error(held.error);
        return;
    }
    const bool to_trash = host_.delete_to_trash();
    const QString question = to_trash
        ? QStringLiteral("Are you sure you want to move directory ") + dir + QStringLiteral(" to the trash?")
        : QStringLiteral("Are you sure you want to delete directory ") + dir + QStringLiteral("?");
    if (port_.ask(question, MsgButtons::YesNo, Answer::No, MsgIcon::Question, app_title()) != Answer::Yes)
        return;

    port_.set_busy(true);
    FsError e = fs_.delete_held_tree(held.value, to_trash);
    port_.set_busy(false);
    // Nothing is deleted for good without the person saying so.
    if (e.no_trash
        && port_.ask(e.path + QStringLiteral(": ") + e.description + QStringLiteral(".\nDelete it for good?"),
               MsgButtons::YesNo, Answer::No, MsgIcon::Exclamation, app_title())
            == Answer::Yes) {
        port_.set_busy(true);
        e = fs_.delete_held_tree(held.value, false);
        port_.set_busy(false);
    } else if (e.no_trash) {
        return;
    }
    if (e) {
        report_error(e);
        // What was deleted stays deleted; the panes and the lists show what is left.
        reread(pane);
        reread(other_pane());
        host_.files_changed();
        return;
    }
    if (const FsError moved = pane.set_path(parent_path(dir)))
        report_error(moved);
    reread(pane);
    reread(other_pane());
}

void DirectoryCommands::m_refresh()
{
    port_.set_busy(true);
    reread(pane1_);
    reread(pane2_);
    port_.set_busy(false);
}

QString directory_flags_text()
{
    return QStringLiteral("To avoid mirroring a directory, place an empty text file named \"_no_mirror.flg\" in that "
                          "directory.");
}
