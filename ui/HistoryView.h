#pragma once
// The history view in the main window: the list that covers the file lists, the menu bar's swap
// to the history commands, and the keys and clicks that open and use it.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

class HistoryCommands;
class QAction;
class QKeyEvent;
class QListWidget;
class MainWindow;
class QWidget;

class HistoryView final : public QObject {
    Q_OBJECT
public:
    // Takes over the window's history list and adds the history commands to its menu bar.
    HistoryView(MainWindow& window, HistoryCommands& history);
    ~HistoryView() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill_list();
    void mark_current();
    void sync_view();
    void place_list();
    QAction* command_for(const QKeyEvent& key) const;

    MainWindow* window_;
    HistoryCommands& history_;
    QListWidget* list_;
    QWidget* client_;
    // The control that had the focus when the view opened: it has it again when the view closes.
    QPointer<QWidget> focus_before_;
    QAction* m_file_ = nullptr;
    QAction* m_history_ = nullptr;
    QAction* m_close_ = nullptr;
    QAction* m_select_ = nullptr;
    QAction* m_delete_ = nullptr;
    QAction* m_clear_all_ = nullptr;
    // Each command's caption with its mnemonic, shown while the command is.
    QHash<QAction*, QString> captions_;
};
