#include "MetadataJson.h"

#include <nlohmann/json.hpp>

#include <string>

namespace {

using Json = nlohmann::json;

// Streams through the document once. Members of the first object are stored
// as they come; a nested value is written back out as compact JSON text,
// keeping each number's original digits.
class TableBuilder final : public nlohmann::json_sax<Json>
{
public:
    MetadataTable table;
    bool wrongShape = false;
    bool sawElement = false;
    std::string syntaxError;

    bool null() override { return scalar("null"); }
    bool boolean(bool value) override { return scalar(value ? "true" : "false"); }
    bool number_integer(number_integer_t value) override { return scalar(std::to_string(value)); }
    bool number_unsigned(number_unsigned_t value) override { return scalar(std::to_string(value)); }
    bool number_float(number_float_t, const string_t &raw) override { return scalar(raw); }
    bool binary(binary_t &) override { return scalar("null"); }

    bool string(string_t &value) override
    {
        if (m_capture.depth > 0) {
            separate();
            m_capture.text += Json(value).dump(-1, ' ', false, Json::error_handler_t::replace);
        } else if (storingMember()) {
            store(QString::fromStdString(value));
        } else {
            noteScalarAtShapeLevel();
        }
        return true;
    }

    bool start_object(std::size_t) override { return open('{'); }
    bool end_object() override { return close('}'); }
    bool start_array(std::size_t) override { return open('['); }
    bool end_array() override { return close(']'); }

    bool key(string_t &name) override
    {
        if (m_capture.depth > 0) {
            separate();
            m_capture.text += Json(name).dump(-1, ' ', false, Json::error_handler_t::replace);
            m_capture.text += ':';
            m_capture.afterKey = true;
        } else if (m_depth == 2 && m_element == 0) {
            m_key = QString::fromStdString(name);
        }
        return true;
    }

    bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &ex) override
    {
        std::string what = ex.what();
        // Drop the library's "[json.exception.parse_error.101] " tag.
        if (const auto bracket = what.find("] "); what.starts_with('[') && bracket != std::string::npos)
            what.erase(0, bracket + 2);
        syntaxError = what;
        return false;
    }

    bool topLevelIsScalar() const { return m_topLevelScalar; }

private:
    // Container depth outside captures: 1 inside the top-level array, 2 inside
    // one of its objects.
    int m_depth = 0;
    int m_element = -1; // index of the current element of the top-level array
    bool m_topIsArray = false;
    bool m_topLevelScalar = false;
    QString m_key;

    struct Capture
    {
        int depth = 0;
        std::string text;
        bool needsComma = false;
        bool afterKey = false;
    } m_capture;

    bool storingMember() const { return m_depth == 2 && m_element == 0; }

    void store(const QString &value)
    {
        if (m_key != QLatin1String("SourceFile"))
            table.insert(m_key, value);
    }

    void noteScalarAtShapeLevel()
    {
        if (m_depth == 0)
            m_topLevelScalar = true;
        else if (m_depth == 1)
            wrongShape = true; // an array element that is not an object
    }

    void separate()
    {
        if (m_capture.afterKey)
            m_capture.afterKey = false;
        else if (m_capture.needsComma)
            m_capture.text += ',';
        m_capture.needsComma = true;
    }

    bool scalar(const std::string &text)
    {
        if (m_capture.depth > 0) {
            separate();
            m_capture.text += text;
        } else if (storingMember()) {
            store(QString::fromStdString(text));
        } else {
            noteScalarAtShapeLevel();
        }
        return true;
    }

    bool open(char bracket)
    {
        if (m_capture.depth > 0 || storingMember()) {
            if (m_capture.depth > 0)
                separate();
            m_capture.text += bracket;
            m_capture.needsComma = false;
            ++m_capture.depth;
            return true;
        }
        if (m_depth == 0) {
            m_topIsArray = bracket == '[';
            wrongShape = !m_topIsArray;
        } else if (m_depth == 1) {
            ++m_element;
            sawElement = true;
            if (bracket != '{')
                wrongShape = true;
        }
        ++m_depth;
        return true;
    }

    bool close(char bracket)
    {
        if (m_capture.depth > 0) {
            m_capture.text += bracket;
            m_capture.needsComma = true;
            if (--m_capture.depth == 0) {
                store(QString::fromStdString(m_capture.text));
                m_capture = {};
            }
            return true;
        }
        --m_depth;
        return true;
    }
};

} // namespace

Expected<MetadataTable> parseMetadataJson(const QByteArray &json)
{
    TableBuilder builder;
    const bool parsed = Json::sax_parse(json.cbegin(), json.cend(), &builder,
                                        Json::input_format_t::json, /*strict=*/true);
    if (!parsed)
        return JsonSyntaxError{QStringLiteral("The tool's output is not valid JSON: %1")
                                   .arg(QString::fromStdString(builder.syntaxError))};
    if (builder.topLevelIsScalar())
        return JsonSyntaxError{QStringLiteral("The tool's output is not valid JSON: "
                                              "a bare value where an array or object was expected")};
    if (builder.wrongShape || !builder.sawElement)
        return ExifToolError::parseError();
    return std::move(builder.table);
}
