#include "ObjectScrub.h"

#include <array>
#include <vector>

namespace {

void dropKey(QPDFObjectHandle dictionary, const char *key, int &count)
{
    if (dictionary.hasKey(key)) {
        dictionary.removeKey(key);
        ++count;
    }
}

// An annotation's author (/T), its dates, its unique name and its subject
// line. A widget's /T is its form field's name, which the form needs.
void scrubAnnotation(QPDFObjectHandle annotation, ObjectScrub::Tally &tally)
{
    static constexpr std::array<const char *, 4> keys{"/M", "/CreationDate", "/NM", "/Subj"};
    bool any = false;
    for (const char *key : keys) {
        if (annotation.hasKey(key)) {
            annotation.removeKey(key);
            any = true;
        }
    }
    if (!annotation.getKey("/Subtype").isNameAndEquals("/Widget") && !annotation.hasKey("/FT")
        && annotation.hasKey("/T")) {
        annotation.removeKey("/T");
        any = true;
    }
    if (any)
        ++tally.annotationMetadata;
}

void scrubDictionary(QPDFObjectHandle dictionary, ObjectScrub::Tally &tally)
{
    dropKey(dictionary, "/Metadata", tally.xmp);
    dropKey(dictionary, "/PieceInfo", tally.applicationData);
    dropKey(dictionary, "/LastModified", tally.dates);
    dropKey(dictionary, "/EF", tally.attachedFiles);
    dropKey(dictionary, "/AF", tally.attachedFiles);
    if (QPDFObjectHandle additional = dictionary.getKey("/AA"); !additional.isNull()) {
        tally.scripts += additional.isDictionary() ? std::max<int>(1, additional.getKeys().size()) : 1;
        dictionary.removeKey("/AA");
    }
    if (QPDFObjectHandle action = dictionary.getKey("/A"); action.isDictionary() && action.hasKey("/S")) {
        if (!ObjectScrub::isNavigation(action)) {
            dictionary.removeKey("/A");
            ++tally.scripts;
        } else if (action.hasKey("/Next")) { // a link may chain a script after its jump
            action.removeKey("/Next");
            ++tally.scripts;
        }
    }
    if (ObjectScrub::isAnnotation(dictionary))
        scrubAnnotation(dictionary, tally);
}

} // namespace

namespace ObjectScrub {

bool isAnnotation(QPDFObjectHandle dictionary)
{
    return dictionary.isDictionary() && dictionary.getKey("/Subtype").isName() && dictionary.getKey("/Rect").isArray();
}

bool isNavigation(QPDFObjectHandle action)
{
    if (!action.isDictionary())
        return false;
    QPDFObjectHandle type = action.getKey("/S");
    return type.isNameAndEquals("/GoTo") || type.isNameAndEquals("/URI");
}

void scrub(QPDFObjectHandle top, Tally &tally)
{
    std::vector<QPDFObjectHandle> stack{top};
    while (!stack.empty()) {
        QPDFObjectHandle object = stack.back();
        stack.pop_back();
        if (object.isStream())
            object = object.getDict();
        if (object.isDictionary()) {
            scrubDictionary(object, tally);
            for (auto item : object.ditems())
                if (!item.second.isIndirect())
                    stack.push_back(item.second);
        } else if (object.isArray()) {
            for (auto item : object.aitems())
                if (!item.isIndirect())
                    stack.push_back(item);
        }
    }
}

} // namespace ObjectScrub
