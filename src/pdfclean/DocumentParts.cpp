#include "DocumentParts.h"

#include "ObjectScrub.h"

#include <algorithm>
#include <set>

namespace {

using PdfHelper::Finding;

// Name and number trees, bounded: a hostile tree cannot make this loop long.
constexpr int maxTreeNodes = 100000;

// The file name an attachment shows, from its file specification.
std::string fileNameOf(QPDFObjectHandle specification, const std::string &fallback)
{
    if (specification.isString())
        return specification.getUTF8Value();
    if (!specification.isDictionary())
        return fallback;
    for (const char *key : {"/UF", "/F", "/DOS", "/Unix", "/Mac"})
        if (QPDFObjectHandle name = specification.getKey(key); name.isString())
            return name.getUTF8Value();
    return fallback;
}

// Calls `visit` for each key and value of a name tree's leaves.
template<typename Visit>
void forEachName(QPDFObjectHandle root, Visit visit)
{
    std::vector<QPDFObjectHandle> stack{root};
    std::set<QPDFObjGen> seen;
    int nodes = 0;
    while (!stack.empty() && ++nodes < maxTreeNodes) {
        QPDFObjectHandle node = stack.back();
        stack.pop_back();
        if (!node.isDictionary() || (node.isIndirect() && !seen.insert(node.getObjGen()).second))
            continue;
        if (QPDFObjectHandle names = node.getKey("/Names"); names.isArray()) {
            const int n = names.getArrayNItems();
            for (int i = 0; i + 1 < n; i += 2) {
                QPDFObjectHandle key = names.getArrayItem(i);
                visit(key.isString() ? key.getUTF8Value() : std::string(), names.getArrayItem(i + 1));
            }
        }
        if (QPDFObjectHandle kids = node.getKey("/Kids"); kids.isArray())
            for (auto kid : kids.aitems())
                stack.push_back(kid);
    }
}

bool isComment(QPDFObjectHandle annotation)
{
    QPDFObjectHandle subtype = annotation.getKey("/Subtype");
    QPDFObjectHandle text = annotation.getKey("/Contents");
    return text.isString() && !text.getStringValue().empty() && !subtype.isNameAndEquals("/Link")
        && !subtype.isNameAndEquals("/Widget") && !subtype.isNameAndEquals("/Popup");
}

} // namespace

namespace DocumentParts {

void scrubCatalog(QPDF &pdf, Report &report)
{
    QPDFObjectHandle catalog = pdf.getRoot();
    if (QPDFObjectHandle names = catalog.getKey("/Names"); names.isDictionary()) {
        if (QPDFObjectHandle files = names.getKey("/EmbeddedFiles"); !files.isNull()) {
            forEachName(files, [&](const std::string &key, QPDFObjectHandle specification) {
                report.remove(Finding::attachmentRemoved, 0, fileNameOf(specification, key));
            });
            names.removeKey("/EmbeddedFiles");
        }
        if (QPDFObjectHandle scripts = names.getKey("/JavaScript"); !scripts.isNull()) {
            int count = 0;
            forEachName(scripts, [&](const std::string &, QPDFObjectHandle) { ++count; });
            report.remove(Finding::scriptsRemoved, std::max(count, 1));
            names.removeKey("/JavaScript");
        }
    }
    // An open action that is a destination (an array) or a jump stays.
    if (QPDFObjectHandle open = catalog.getKey("/OpenAction");
        open.isDictionary() && !ObjectScrub::isNavigation(open)) {
        catalog.removeKey("/OpenAction");
        report.remove(Finding::scriptsRemoved, 1);
    }
    if (QPDFObjectHandle uri = catalog.getKey("/URI"); uri.isDictionary() && uri.hasKey("/Base")) {
        uri.removeKey("/Base");
        report.remove(Finding::uriBaseRemoved);
    }
    // A portfolio's view of its attachments: without them it is empty.
    catalog.removeKey("/Collection");
}

void scrubPages(const std::vector<QPDFObjectHandle> &pages, Report &report)
{
    int links = 0;
    for (std::size_t index = 0; index < pages.size(); ++index) {
        QPDFObjectHandle page = pages[index];
        QPDFObjectHandle annotations = page.getKey("/Annots");
        if (!annotations.isArray())
            continue;
        std::vector<QPDFObjectHandle> kept;
        std::set<QPDFObjGen> attachments;
        int comments = 0;
        for (auto annotation : annotations.aitems()) {
            if (!annotation.isDictionary())
                continue;
            if (annotation.getKey("/Subtype").isNameAndEquals("/FileAttachment")) {
                report.remove(Finding::attachmentRemoved, 0, fileNameOf(annotation.getKey("/FS"), "?"));
                annotation.removeKey("/FS"); // in case something else still points at it
                if (annotation.isIndirect())
                    attachments.insert(annotation.getObjGen());
                continue;
            }
            if (annotation.getKey("/Subtype").isNameAndEquals("/Link"))
                ++links;
            else if (isComment(annotation))
                ++comments;
            kept.push_back(annotation);
        }
        if (!attachments.empty()) {
            // The removed attachments' pop-ups go with them.
            std::vector<QPDFObjectHandle> remaining;
            for (auto annotation : kept) {
                QPDFObjectHandle parent = annotation.getKey("/Parent");
                if (!(parent.isIndirect() && attachments.count(parent.getObjGen()) > 0))
                    remaining.push_back(annotation);
            }
            page.replaceKey("/Annots", QPDFObjectHandle::newArray(remaining));
        }
        if (comments > 0)
            report.keep(Finding::comments, comments, static_cast<int>(index + 1));
    }
    if (links > 0)
        report.keep(Finding::links, links);
}

void listContent(QPDF &pdf, Report &report)
{
    QPDFObjectHandle catalog = pdf.getRoot();

    int values = 0;
    std::vector<QPDFObjectHandle> fields;
    if (QPDFObjectHandle form = catalog.getKey("/AcroForm"); form.isDictionary() && form.getKey("/Fields").isArray())
        fields = form.getKey("/Fields").getArrayAsVector();
    std::set<QPDFObjGen> seen;
    for (int nodes = 0; !fields.empty() && nodes < maxTreeNodes; ++nodes) {
        QPDFObjectHandle field = fields.back();
        fields.pop_back();
        if (!field.isDictionary() || (field.isIndirect() && !seen.insert(field.getObjGen()).second))
            continue;
        if (field.hasKey("/V"))
            ++values;
        if (QPDFObjectHandle kids = field.getKey("/Kids"); kids.isArray())
            for (auto kid : kids.aitems())
                fields.push_back(kid);
    }
    if (values > 0)
        report.keep(Finding::formFields, values);

    int entries = 0;
    std::vector<QPDFObjectHandle> items;
    if (QPDFObjectHandle outline = catalog.getKey("/Outlines"); outline.isDictionary())
        items.push_back(outline.getKey("/First"));
    seen.clear();
    while (!items.empty() && entries < maxTreeNodes) {
        QPDFObjectHandle item = items.back();
        items.pop_back();
        if (!item.isDictionary() || (item.isIndirect() && !seen.insert(item.getObjGen()).second))
            continue;
        ++entries;
        items.push_back(item.getKey("/Next"));
        items.push_back(item.getKey("/First"));
    }
    if (entries > 0)
        report.keep(Finding::outlineEntries, entries);

    if (QPDFObjectHandle layers = catalog.getKey("/OCProperties"); layers.isDictionary()) {
        if (QPDFObjectHandle groups = layers.getKey("/OCGs"); groups.isArray())
            for (auto group : groups.aitems())
                if (group.isDictionary() && group.getKey("/Name").isString())
                    report.keep(Finding::layer, 0, 0, group.getKey("/Name").getUTF8Value());
    }
}

} // namespace DocumentParts
