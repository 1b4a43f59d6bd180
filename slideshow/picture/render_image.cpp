#include "slideshow/picture/render_image.h"

#include "common/error_categories.h"
#include "common/unique_handle.h"
#include "slideshow/picture/core/encode_image.h"
#include "slideshow/picture/core/picture_errors.h"
#include "slideshow/picture/picture_orientation.h"
#include "slideshow/picture/core/render_picture.h"
#include "slideshow/picture/wic_picture_source.h"

#include <wincodec.h>

namespace Korva::QELD {
namespace {

using Win32::com_ptr;

// Pictures above this many pixels are refused before their pixels are
// decoded, so that a small file claiming a huge size cannot exhaust memory.
constexpr std::uint64_t pixelBudget = 100'000'000;

// Raises a failed call, and a successful one that produced no object, as a
// system error in the HRESULT category.
template <class Interface>
void check(HRESULT hr, const com_ptr<Interface>& object, const char* function) {
    if (FAILED(hr))
        Win32::throwHResult(hr, function);
    if (!object)
        Win32::throwHResult(E_POINTER, function);
}

void checkBudget(IWICBitmapFrameDecode* frame) {
    UINT width = 0, height = 0;
    if (const HRESULT hr = frame->GetSize(&width, &height); FAILED(hr))
        Win32::throwHResult(hr, "IWICBitmapFrameDecode::GetSize");
    if (width == 0 || height == 0 || std::uint64_t{width} * height > pixelBudget)
        throw picture_size_error(
            std::error_code(WINCODEC_ERR_IMAGESIZEOUTOFRANGE, Win32::HRESULT_category()), width,
            height, pixelBudget);
}

} // namespace

std::vector<std::uint8_t> renderImage(const std::u16string& path,
                                      const ImageParameters& parameters) {
    pixelFormatFor(parameters.encodingMode); // refuses a bad mode before any work
    const auto* widePath = reinterpret_cast<const wchar_t*>(path.c_str());

    com_ptr<IWICImagingFactory> factory;
    check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr,
                             CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IWICImagingFactory,
                             reinterpret_cast<void**>(factory.put())),
          factory, "CoCreateInstance(CLSID_WICImagingFactory)");
    com_ptr<IWICBitmapDecoder> decoder;
    check(factory.get()->CreateDecoderFromFilename(widePath, nullptr, GENERIC_READ,
                                                   WICDecodeMetadataCacheOnDemand, decoder.put()),
          decoder, "IWICBitmapDecoder::CreateDecoderFromFilename");
    com_ptr<IWICBitmapFrameDecode> frame;
    check(decoder.get()->GetFrame(0, frame.put()), frame, "IWICBitmapFrameDecode::GetFrame");
    checkBudget(frame.get());
    const Orientation orientation = pictureOrientation(widePath, decoder.get(), frame.get());

    // Every frame becomes straight BGRA; layout, scaling and packing are ours.
    com_ptr<IWICFormatConverter> converter;
    check(factory.get()->CreateFormatConverter(converter.put()), converter,
          "IWICImagingFactory::CreateFormatConverter");
    check(converter.get()->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA,
                                      WICBitmapDitherTypeNone, nullptr, 0.0,
                                      WICBitmapPaletteTypeCustom),
          converter, "IWICFormatConverter::Initialize");
    WicPictureSource source(converter.get());
    return renderPicture(source, orientation, parameters);
}

} // namespace Korva::QELD
