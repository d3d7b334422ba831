#pragma once
// A view of one of the five file lists: extended selection, the row under the pointer for the
// hover details, dragging an entry away and taking the drops its list accepts.

#include <QListView>

class FileListModel;

class FileListView final : public QListView {
    Q_OBJECT
public:
    FileListView(FileListModel& model, int number, QWidget* parent);

    int number() const { return number_; }

signals:
    // The pointer moved over the list; `row` is the entry under it, -1 below the last one.
    void hovered(int number, int row);
    void clicked_list(int number);
    // The entry `name` of list `source` was dropped here.
    void dropped(int source, int target, const QString& name);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // Whether a drag that carries `mime` may end here: from another list, onto list 1, 2 or 5.
    bool takes(const QMimeData* mime) const;
    void start_drag(int row);

    int number_;
    // The row under the mouse when the left button went down; -1 when none.
    int press_row_ = -1;
    QPoint press_pos_;
};
