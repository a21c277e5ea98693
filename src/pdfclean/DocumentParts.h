#pragma once

#include "Report.h"

#include <qpdf/QPDF.hh>

#include <vector>

// The parts of a document that hang off its catalog and its pages: what is
// content is counted for the report, what is not goes and is counted too.
namespace DocumentParts {

// Attachments (the /EmbeddedFiles name tree), document scripts (/JavaScript),
// an /OpenAction that runs something, the /URI /Base and a file collection.
void scrubCatalog(QPDF &pdf, Report &report);

// Per page: attachment annotations go; comments and links are counted.
void scrubPages(const std::vector<QPDFObjectHandle> &pages, Report &report);

// Form values, bookmarks and layer names: content, only counted and named.
void listContent(QPDF &pdf, Report &report);

} // namespace DocumentParts
