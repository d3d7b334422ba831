#pragma once
// "cancel" asked of a long operation: the operation clears it when it starts and looks at it
// between its steps. The main window's run gate owns the one its cancel button sets; the
// alignment and the tree walk are given it.

class CancelToken {
public:
    bool requested() const { return requested_; }
    void request() { requested_ = true; }
    void reset() { requested_ = false; }

private:
    bool requested_ = false;
};
