#include "Report.h"

#include <cstdio>

namespace {

void add(std::vector<Report::Entry> &entries, Report::Entry entry)
{
    if (entries.size() >= PdfHelper::maxFindings)
        return;
    if (entry.name.size() > PdfHelper::maxNameBytes) {
        std::size_t cut = PdfHelper::maxNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(entry.name[cut]) & 0xC0) == 0x80)
            --cut; // not inside a UTF-8 sequence
        entry.name.resize(cut);
    }
    entries.push_back(std::move(entry));
}

// Names are UTF-8; control characters and the JSON specials are escaped.
void appendJsonString(std::string &out, const std::string &text)
{
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendEntries(std::string &json, const std::vector<Report::Entry> &entries)
{
    json += '[';
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Report::Entry &entry = entries[i];
        if (i > 0)
            json += ',';
        json += "{\"kind\":\"";
        json += PdfHelper::nameOf(entry.kind);
        json += '"';
        if (entry.page > 0)
            json += ",\"page\":" + std::to_string(entry.page);
        if (entry.count > 0)
            json += ",\"count\":" + std::to_string(entry.count);
        if (!entry.name.empty()) {
            json += ",\"name\":";
            appendJsonString(json, entry.name);
        }
        json += '}';
    }
    json += ']';
}

} // namespace

void Report::keep(PdfHelper::Finding kind, std::int64_t count, int page, const std::string &name)
{
    add(m_kept, {kind, page, count, name});
}

void Report::remove(PdfHelper::Finding kind, std::int64_t count, const std::string &name)
{
    add(m_removed, {kind, 0, count, name});
}

std::string Report::toJson() const
{
    std::string json = "{\"kept\":";
    appendEntries(json, m_kept);
    json += ",\"removed\":";
    appendEntries(json, m_removed);
    return json + '}';
}
