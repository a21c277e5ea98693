#pragma once

#include "ContainerItem.h"

#include <Expected.h>

#include <QByteArrayView>

// SVG drawings, node by node. The cleaned drawing keeps every element and
// attribute that draws, its title and description; the editors' own
// namespaces (Inkscape, Sodipodi, Illustrator, Sketch, Affinity: export
// paths, document names, window geometry, guides), <metadata>, RDF and
// Dublin Core, comments and processing instructions go. A document type
// that declares entities is refused, never expanded.
ContainerWalk walkSvg(QByteArrayView bytes);
Expected<QByteArray> cleanSvg(QByteArrayView bytes);
