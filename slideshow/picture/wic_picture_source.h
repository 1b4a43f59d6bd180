#pragma once

#include "slideshow/picture/core/picture_source.h"

#include <wincodec.h>

namespace Korva::QELD {

// A WIC bitmap source that delivers 32bppBGRA (a format converter) seen as a
// PictureSource. The caller keeps ownership of the source.
class WicPictureSource : public PictureSource {
public:
    explicit WicPictureSource(IWICBitmapSource* source) : source_(source) {}

    Size size() override;
    void copyPixels(const Rect& rect, std::uint8_t* out) override;

private:
    IWICBitmapSource* source_;
};

} // namespace Korva::QELD
