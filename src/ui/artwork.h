#pragma once

#include <QIcon>

// The program's SVG artwork as icons: each is drawn by the SVG renderer at the size it is painted
// at, once per size. Unlike QIcon(file) this loads no icon engine or image format plugin, which a
// start would otherwise pay for before its first paint.
namespace Artwork {

QIcon icon(const QString &svgPath);

} // namespace Artwork
