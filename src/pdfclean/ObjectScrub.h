#pragma once

#include <qpdf/QPDFObjectHandle.hh>

// What goes from any dictionary, wherever it sits: the keys below describe
// the file or act on the reader, none of them is shown.
namespace ObjectScrub {

struct Tally
{
    int xmp = 0;                 // /Metadata
    int applicationData = 0;     // /PieceInfo
    int dates = 0;               // /LastModified
    int scripts = 0;             // /AA entries, actions other than GoTo and URI
    int annotationMetadata = 0;  // annotations that lost an author, date, name or subject
    int attachedFiles = 0;       // /EF and /AF: files carried inside
};

// Annotations are dictionaries with a /Subtype and a /Rect.
bool isAnnotation(QPDFObjectHandle dictionary);
// An action a reader may follow without running anything: a jump inside the
// document or to a web address.
bool isNavigation(QPDFObjectHandle action);

// The object and every direct dictionary, array and stream dictionary inside
// it; indirect ones get their own turn.
void scrub(QPDFObjectHandle top, Tally &tally);

} // namespace ObjectScrub
