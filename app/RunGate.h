#pragma once
// What the main window runs now. A comparison, an alignment, a drop, a deletion or a tree step
// lets window events through (progress, "cancel", questions); a command the person gives then
// must not change the files, the lists or the panes under it. Such commands ask the gate first:
// while something runs they are refused, and the window beeps. "cancel" is the one command that
// reaches what runs: the gate holds the token the running work looks at.

#include "platform/CancelToken.h"

#include <QObject>

enum class Running { Nothing, Comparison, Alignment, Drop, Deletion, TreeStep };

class RunGate final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    Running running() const { return running_; }
    bool idle() const { return running_ == Running::Nothing; }
    // True when a command of the person may start now; otherwise `refused` is emitted.
    bool admit()
    {
        if (idle())
            return true;
        emit refused();
        return false;
    }
    // What the cancel button sets and the running work polls.
    CancelToken& cancel() { return cancel_; }

signals:
    // Something started or ended: the window enables or disables what depends on it.
    void changed();
    // A command was refused because something runs.
    void refused();

private:
    friend class RunScope;
    void set(Running what)
    {
        if (what == running_)
            return;
        running_ = what;
        emit changed();
    }

    Running running_ = Running::Nothing;
    CancelToken cancel_;
};

// Marks what runs for its lifetime. A step inside a running command (the tree walk going on
// after an alignment, the comparison a tree step shows) keeps the outer command's mark.
class RunScope {
public:
    RunScope(RunGate& gate, Running what)
        : gate_(gate)
        , outer_(gate.running())
    {
        if (outer_ == Running::Nothing)
            gate_.set(what);
    }
    ~RunScope() { gate_.set(outer_); }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    RunGate& gate_;
    Running outer_;
};
