#include "convert/imagemodule.h"

namespace quillox
{

const ImageCodec* loadImageCodec(std::string& reason)
{
    static std::string loadFailure;
    static const ImageCodec* codec = openImageModule(loadFailure);
    if (!codec)
        reason = loadFailure;
    return codec;
}

} // namespace quillox
