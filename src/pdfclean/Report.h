#pragma once

#include "protocol/PdfHelperProtocol.h"

#include <cstdint>
#include <string>
#include <vector>

// What one clean kept and took away, for the app to tell the user.
class Report
{
public:
    struct Entry
    {
        PdfHelper::Finding kind;
        int page = 0; // 1-based; 0 for the whole document
        std::int64_t count = 0;
        std::string name;
    };

    void keep(PdfHelper::Finding kind, std::int64_t count = 0, int page = 0, const std::string &name = {});
    void remove(PdfHelper::Finding kind, std::int64_t count = 0, const std::string &name = {});

    const std::vector<Entry> &kept() const { return m_kept; }
    const std::vector<Entry> &removed() const { return m_removed; }

    // One line of JSON, no longer than the protocol's limits allow.
    std::string toJson() const;

private:
    std::vector<Entry> m_kept;
    std::vector<Entry> m_removed;
};
