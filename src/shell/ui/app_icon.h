// The program's icon, the picture of the desktop entry's quelin3.svg (a
// spark over an advance curve), drawn without an SVG reader.
#pragma once

#include <QIcon>

QIcon appIcon();
