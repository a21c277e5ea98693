#pragma once

#include <qpdf/QPDFObjectHandle.hh>

// Passes a content stream's tokens through as they are, but for its comments
// ("%" to the end of the line, outside strings): producers leave their names,
// file paths and dates there.
class CommentFilter : public QPDFObjectHandle::TokenFilter
{
public:
    void handleToken(QPDFTokenizer::Token const &token) override;

    int removed() const { return m_removed; }

    // Rewrites `stream` (Flate-compressed) when it held comments; returns how
    // many went. A stream whose filters cannot be undone is left as it is.
    static int strip(QPDFObjectHandle stream);

private:
    int m_removed = 0;
};
