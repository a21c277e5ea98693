#include "CommentFilter.h"

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_QPDFTokenizer.hh>

void CommentFilter::handleToken(QPDFTokenizer::Token const &token)
{
    if (token.getType() == QPDFTokenizer::tt_comment) {
        ++m_removed;
        return;
    }
    writeToken(token);
}

int CommentFilter::strip(QPDFObjectHandle stream)
{
    CommentFilter filter;
    Pl_Buffer plain("content");
    {
        Pl_QPDFTokenizer tokens("content", &filter, &plain);
        if (!stream.pipeStreamData(&tokens, 0, qpdf_dl_generalized, true, false))
            return 0;
    }
    if (filter.removed() == 0)
        return 0;
    std::shared_ptr<Buffer> bytes = plain.getBufferSharedPointer();
    Pl_Buffer compressed("deflated");
    Pl_Flate deflate("deflate", &compressed, Pl_Flate::a_deflate);
    deflate.write(bytes->getBuffer(), bytes->getSize());
    deflate.finish();
    stream.replaceStreamData(compressed.getBufferSharedPointer(), QPDFObjectHandle::newName("/FlateDecode"),
                             QPDFObjectHandle::newNull());
    return filter.removed();
}
