// The picture module's entry point: the converter loads this module only
// when it meets a picture, so that its other runs start without Qt.
#include "convert/imagemodule.h"

namespace quillox
{

extern "C" const ImageCodec* quilloxImageCodec()
{
    static const ImageCodec codec{tilesOfPicture, pngOfSprite, pngOfPixels};
    return &codec;
}

} // namespace quillox
