#pragma once
// A view of one of the five file lists: extended selection, and the row under the pointer for
// the hover details.

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

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    int number_;
};
