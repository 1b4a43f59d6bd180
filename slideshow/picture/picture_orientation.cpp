#include "slideshow/picture/picture_orientation.h"

#include "common/unique_handle.h"
#include "slideshow/picture/core/exif_orientation.h"

#include <vector>

namespace Korva::QELD {
namespace {

// The EXIF block lies in the segments before the image data; a JPEG whose
// metadata is larger than this is treated as having none.
constexpr DWORD jpegHeadBytes = 256 * 1024;

Orientation jpegFileOrientation(const wchar_t* path) {
    Win32::unique_file file(::CreateFileW(path, GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return orientationNormal;
    std::vector<std::uint8_t> head(jpegHeadBytes);
    DWORD read = 0;
    if (!::ReadFile(file.get(), head.data(), jpegHeadBytes, &read, nullptr))
        return orientationNormal;
    head.resize(read);
    return jpegOrientation(head);
}

Orientation tiffFrameOrientation(IWICBitmapFrameDecode* frame) {
    Win32::com_ptr<IWICMetadataQueryReader> reader;
    if (FAILED(frame->GetMetadataQueryReader(reader.put())) || !reader)
        return orientationNormal;
    PROPVARIANT value;
    ::PropVariantInit(&value);
    Orientation result = orientationNormal;
    if (SUCCEEDED(reader.get()->GetMetadataByName(L"/ifd/{ushort=274}", &value)) &&
        value.vt == VT_UI2 && value.uiVal >= 1 && value.uiVal <= 8)
        result = value.uiVal;
    ::PropVariantClear(&value);
    return result;
}

} // namespace

Orientation pictureOrientation(const wchar_t* path, IWICBitmapDecoder* decoder,
                               IWICBitmapFrameDecode* frame) {
    GUID container{};
    if (FAILED(decoder->GetContainerFormat(&container)))
        return orientationNormal;
    if (container == GUID_ContainerFormatJpeg)
        return jpegFileOrientation(path);
    if (container == GUID_ContainerFormatTiff)
        return tiffFrameOrientation(frame);
    return orientationNormal;
}

} // namespace Korva::QELD
