#pragma once
// Dropping an entry of one file list on another: what the drop does on disk and on the lists.

#include <QString>

struct TransferContext;

enum class DropAction {
    Refused, // nothing happens
    Move, // copy to the other side, then delete the file it came from
    DeleteOnly, // delete the file of one side, keeping the other
    Copy, // copy to the other side; both then hold the same file
};

struct DropRule {
    int source = 0; // list 1..5
    int target = 0;
    DropAction action = DropAction::Refused;
    // The side the file is copied from (Move, Copy) or deleted on (DeleteOnly).
    int side = 0;
};

// The rule for a drop of an entry of `source` on `target`.
DropRule drop_rule(int source, int target);

// Carries out the drop of the entry `name` of list `source` on list `target`.
void list_drag_drop(TransferContext& ctx, int source, int target, const QString& name);
