#pragma once
// What the main window shows beyond the lists and panes: enabled and visible controls, the File
// menu's options (held here alone: the comparison and the commands read them from here), the
// free-space labels. The window follows `changed`.

#include <QObject>
#include <QString>

class WindowState final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool cancel_enabled() const { return cancel_enabled_; }
    void set_cancel_enabled(bool on) { set(cancel_enabled_, on); }
    bool next_alignment_visible() const { return next_alignment_visible_; }
    void set_next_alignment_visible(bool on) { set(next_alignment_visible_, on); }
    bool ignore_one_hour_checked() const { return ignore_one_hour_checked_; }
    void set_ignore_one_hour_checked(bool on) { set(ignore_one_hour_checked_, on); }
    bool skip_delete_confirmations_checked() const { return skip_delete_checked_; }
    void set_skip_delete_confirmations_checked(bool on) { set(skip_delete_checked_, on); }
    bool delete_to_trash_checked() const { return delete_to_trash_checked_; }
    void set_delete_to_trash_checked(bool on) { set(delete_to_trash_checked_, on); }
    QString bytes_free(int pane) const { return pane == 1 ? bytes_free1_ : bytes_free2_; }
    void set_bytes_free(int pane, const QString& text) { set(pane == 1 ? bytes_free1_ : bytes_free2_, text); }

signals:
    void changed();

private:
    template <typename T> void set(T& field, const T& value)
    {
        if (field == value)
            return;
        field = value;
        emit changed();
    }

    bool cancel_enabled_ = true;
    bool next_alignment_visible_ = false;
    bool ignore_one_hour_checked_ = false;
    bool skip_delete_checked_ = false;
    bool delete_to_trash_checked_ = true;
    QString bytes_free1_ = QStringLiteral("bytes free:");
    QString bytes_free2_ = QStringLiteral("bytes free:");
};
