#include "DescriptorSink.h"

#include <cerrno>
#include <unistd.h>

namespace {

std::string hex(const std::string &bytes)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        out += digits[(static_cast<unsigned char>(c) >> 4) & 0xF];
        out += digits[static_cast<unsigned char>(c) & 0xF];
    }
    return out;
}

} // namespace

DescriptorSink::DescriptorSink(int fd, const std::string &firstId, const std::string &secondId)
    : Pipeline("output", nullptr)
    , m_fd(fd)
    , m_pattern("<" + hex(firstId) + "><")
    , m_secondHex(hex(secondId))
{
}

void DescriptorSink::write(unsigned char const *data, size_t length)
{
    if (m_error != 0)
        return;
    m_buffer.append(reinterpret_cast<const char *>(data), length);
    if (m_buffer.size() >= 1 << 16) {
        replaceIds();
        // A pair cut in two by this flush is found whole next time.
        flush(m_pattern.size() + m_secondHex.size());
    }
}

void DescriptorSink::finish()
{
    replaceIds();
    flush(0);
}

void DescriptorSink::replaceIds()
{
    std::size_t at = 0;
    while ((at = m_buffer.find(m_pattern, at)) != std::string::npos) {
        const std::size_t second = at + m_pattern.size();
        const std::size_t close = m_buffer.find('>', second);
        if (close == std::string::npos)
            return; // the rest comes with the next write
        if (close - second == m_secondHex.size()) {
            m_buffer.replace(second, m_secondHex.size(), m_secondHex);
            ++m_replaced;
        }
        at = close;
    }
}

void DescriptorSink::flush(std::size_t keep)
{
    if (m_buffer.size() <= keep)
        return;
    const std::size_t count = m_buffer.size() - keep;
    const char *data = m_buffer.data();
    std::size_t left = count;
    while (left > 0 && m_error == 0) {
        const ssize_t written = ::write(m_fd, data, left);
        if (written < 0) {
            if (errno != EINTR)
                m_error = errno;
            continue;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    m_buffer.erase(0, count);
}
