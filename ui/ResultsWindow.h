#pragma once
// The branch report window: the branches that exist in one tree only, shown before the walk
// starts; the person proceeds with the common branches, cancels, or saves the list to the log.

#include <QDialog>

class FileSystem;
class QPlainTextEdit;
class Shell;
class UserPort;

class ResultsWindow final : public QDialog {
    Q_OBJECT
public:
    // `report` is the branch report (each line introduced by CR LF).
    ResultsWindow(QString& report, FileSystem& fs, Shell& shell, UserPort& port, QWidget* parent = nullptr);

    // Shows the report modally; "cancel operation" empties `report`, any other way out keeps it.
    static void show_report(QString& report, FileSystem& fs, Shell& shell, UserPort& port, QWidget* parent);

private:
    void put_text_back();
    void show_text();

    QString& report_;
    FileSystem& fs_;
    Shell& shell_;
    UserPort& port_;
    QPlainTextEdit* text_;
    QString shown_;
};
