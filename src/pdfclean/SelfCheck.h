#pragma once

#include <qpdf/QPDF.hh>

#include <string>
#include <vector>

// A second look at the written file, with its own code rather than the
// cleaning's: every object is walked and anything that should have gone is
// named (the trailer's /Info, XMP, application data, attachments, scripts,
// annotation authors and dates, page dates, the /URI /Base, JPEGs with
// metadata segments or bytes after their end, JPEG 2000 metadata boxes).
namespace SelfCheck {

// What stayed, each named once, in the order found; empty when nothing did.
std::vector<std::string> leftovers(QPDF &written);

} // namespace SelfCheck
