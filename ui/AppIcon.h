#pragma once
// The program's icon, drawn from its SVG at the sizes window systems ask for.

#include <QIcon>

QIcon app_icon();
