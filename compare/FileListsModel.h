#pragma once
// The five file lists of the main window, their captions, align buttons and the hint line.
// Lists: 1 only in dir 1, 2 only in dir 2, 3 newer in dir 1, 4 newer in dir 2, 5 aligned.

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QStringList>

#include <array>
#include <memory>

// One list: bare file names, kept sorted ignoring case, each name at most once, with its own
// selection (extended: any set of rows).
class FileListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int count() const { return int(names_.size()); }
    QString at(int row) const { return names_.value(row); }
    const QStringList& names() const { return names_; }
    int index_of(const QString& name) const; // exact spelling; -1 when absent
    // Inserts at the sorted place; a name already present is not added again.
    void add(const QString& name);
    bool remove(const QString& name);
    void remove_at(int row);
    // Many names at once, as one change of the model per run of adjacent rows: the views and the
    // selection follow a batch of thousands without doing the work once per name.
    void add_names(QStringList names);
    void remove_names(const QStringList& names);
    void clear();
    // Replaces the whole content (sorted here); nothing is selected afterwards.
    void set_names(QStringList names);

    QItemSelectionModel* selection() { return &selection_; }
    bool any_selected() const;
    QStringList selected_names() const;
    void select_row(int row, bool selected);

private:
    QStringList names_;
    QItemSelectionModel selection_;
};

class FileListsModel final : public QObject {
    Q_OBJECT
public:
    static constexpr int list_count = 5;

    explicit FileListsModel(QObject* parent = nullptr);

    FileListModel& list(int number); // 1..5
    const FileListModel& list(int number) const;

    QString caption(int number) const { return captions_[size_t(number - 1)]; }
    void set_caption(int number, const QString& caption);
    // Captions of a comparison: "only in dir 1", "only in dir 2", "newer in dir 1", ...
    void set_comparison_captions();
    // Captions of the plain view: "files in dir 1", "files in dir 2", the others empty.
    void set_plain_captions();

    // Align buttons under lists 1 to 4.
    bool align_button_visible(int number) const { return button_visible_[size_t(number - 1)]; }
    void set_align_buttons_visible(bool visible);
    QString align_caption(int number) const { return align_captions_[size_t(number - 1)]; }
    // "align selected files" when something in the list is selected, else "align all files".
    void set_align_caption(int number);

    QString hint() const { return hint_; }
    void set_hint(const QString& text);
    // The standing hint when lists 1 to 4 hold any entry, else the empty text.
    void set_default_comment();
    static QString standing_hint();

    // Entries of lists 1 to 4 together (64-bit: it cannot overflow).
    qint64 difference_count() const;
    void clear_all();

signals:
    void caption_changed(int number);
    void align_button_changed(int number);
    void hint_changed();

private:
    std::array<std::unique_ptr<FileListModel>, list_count> lists_;
    std::array<QString, list_count> captions_;
    std::array<bool, 4> button_visible_ { true, true, true, true };
    std::array<QString, 4> align_captions_;
    QString hint_;
};
