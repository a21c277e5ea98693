#include "PageTree.h"

#include "HelperFailure.h"

#include <set>

namespace PageTree {

std::vector<QPDFObjectHandle> pages(QPDF &pdf, PdfHelper::Exit whenMissing)
{
    constexpr int maxDepth = 256;
    QPDFObjectHandle root = pdf.getRoot().getKey("/Pages");
    if (!root.isDictionary())
        fail(whenMissing, "The PDF has no page tree.");

    struct Node
    {
        QPDFObjectHandle object;
        int depth;
    };
    std::vector<Node> stack{{root, 0}};
    std::set<QPDFObjGen> visited;
    std::vector<QPDFObjectHandle> found;
    while (!stack.empty()) {
        Node node = stack.back();
        stack.pop_back();
        if (!node.object.isDictionary())
            continue;
        QPDFObjectHandle kids = node.object.getKey("/Kids");
        if (!kids.isArray()) {
            found.push_back(node.object);
            continue;
        }
        if (node.depth >= maxDepth)
            fail(PdfHelper::Exit::PageTreeTooDeep, "The PDF's page tree is nested too deeply.");
        if (node.object.isIndirect() && !visited.insert(node.object.getObjGen()).second)
            fail(PdfHelper::Exit::PageTreeTooDeep, "The PDF's page tree is cyclic.");
        const int n = kids.getArrayNItems();
        for (int i = n - 1; i >= 0; --i)
            stack.push_back({kids.getArrayItem(i), node.depth + 1});
    }
    return found;
}

} // namespace PageTree
