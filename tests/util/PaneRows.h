#pragma once
// The subdirectory rows a directory pane shows, one space between them.

#include "app/DirPane.h"

#include <QStringList>

inline QString pane_rows(const DirPane& pane)
{
    QStringList names;
    for (int i = 0; i < pane.ListCount(); ++i)
        names << pane.row_text(pane.component_count() + i);
    return names.join(u' ');
}
