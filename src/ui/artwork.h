#pragma once

#include <QIcon>

// The program's artwork, drawn at build time into PNG files at the sizes it is shown at (and
// twice those for high-density screens); a start decodes only the sizes it paints.
namespace Artwork {

// The picture `name` (an SVG of resources/icons without its extension) at all its sizes.
QIcon icon(const QString &name);

} // namespace Artwork
