#include "slideshow/picture/wic_picture_source.h"

#include "common/error_categories.h"

namespace Korva::QELD {

Size WicPictureSource::size() {
    UINT width = 0, height = 0;
    if (const HRESULT hr = source_->GetSize(&width, &height); FAILED(hr))
        Win32::throwHResult(hr, "IWICBitmapSource::GetSize");
    return {width, height};
}

void WicPictureSource::copyPixels(const Rect& rect, std::uint8_t* out) {
    const WICRect area{static_cast<INT>(rect.x), static_cast<INT>(rect.y),
                       static_cast<INT>(rect.width), static_cast<INT>(rect.height)};
    const UINT stride = rect.width * bytesPerPixel;
    if (const HRESULT hr = source_->CopyPixels(&area, stride, stride * rect.height, out);
        FAILED(hr))
        Win32::throwHResult(hr, "IWICBitmapSource::CopyPixels");
}

} // namespace Korva::QELD
