#pragma once

#include "protocol/PdfHelperProtocol.h"

#include <qpdf/QPDF.hh>

#include <vector>

namespace PageTree {

// The document's pages in order. Iterative, with a depth limit: a page tree
// nested a hundred thousand levels deep is an error (PageTreeTooDeep), not a
// stack overflow; so is a cycle. No page tree at all fails with `whenMissing`.
std::vector<QPDFObjectHandle> pages(QPDF &pdf, PdfHelper::Exit whenMissing);

} // namespace PageTree
