#pragma once

#include <qpdf/Pipeline.hh>

#include <string>

// Where QPDFWriter's bytes go: the output's descriptor. A failed write(2) is
// remembered rather than thrown: qpdf finishes pipelines from destructors,
// where an exception would abort the process.
//
// QPDFWriter keeps the first element of the trailer's /ID and makes the
// second from the clock, so two files written in the same second would share
// it. The sink puts `secondId` in its place: it finds the pair by the first
// element, which the caller knows, as the writer spells it (<hex><hex>).
class DescriptorSink : public Pipeline
{
public:
    DescriptorSink(int fd, const std::string &firstId, const std::string &secondId);

    void write(unsigned char const *data, size_t length) override;
    void finish() override;

    int error() const { return m_error; }
    // How many times the second /ID element was put in.
    int idsReplaced() const { return m_replaced; }

private:
    void replaceIds();
    void flush(std::size_t keep);

    int m_fd;
    int m_error = 0;
    int m_replaced = 0;
    std::string m_pattern;  // "<first>" in lower-case hex, then "<"
    std::string m_secondHex;
    std::string m_buffer;
};
