// Renders one photo the way a tablet worker does and reports the time and
// the process's peak memory, beside the floor of decoding it to BGRA alone.
// Each case runs in a process of its own so that its peak is its own.
// Usage: render_bench <picture> idle|decode|mono|rgb565|bgr24 <repeats>
#include "slideshow/picture/render_image.h"

#include "common/com_apartment.h"
#include "common/error_categories.h"
#include "common/unique_handle.h"

#include <windows.h>

#include <objbase.h>
#include <psapi.h>
#include <wincodec.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace Korva;
using Win32::com_ptr;

void check(HRESULT hr) {
    if (FAILED(hr))
        Win32::throwHResult(hr);
}

// The whole first frame as BGRA in one buffer: what any renderer must at
// least pay for the decode.
std::size_t decodeOnly(const std::u16string& path) {
    com_ptr<IWICImagingFactory> factory;
    check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put())));
    com_ptr<IWICBitmapDecoder> decoder;
    check(factory.get()->CreateDecoderFromFilename(reinterpret_cast<const wchar_t*>(path.c_str()),
                                                   nullptr, GENERIC_READ,
                                                   WICDecodeMetadataCacheOnDemand, decoder.put()));
    com_ptr<IWICBitmapFrameDecode> frame;
    check(decoder.get()->GetFrame(0, frame.put()));
    com_ptr<IWICFormatConverter> converter;
    check(factory.get()->CreateFormatConverter(converter.put()));
    check(converter.get()->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA,
                                      WICBitmapDitherTypeNone, nullptr, 0.0,
                                      WICBitmapPaletteTypeCustom));
    UINT width = 0, height = 0;
    check(converter.get()->GetSize(&width, &height));
    std::vector<BYTE> pixels(std::size_t{width} * height * 4);
    check(converter.get()->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()),
                                      pixels.data()));
    return pixels.size();
}

std::size_t runCase(const std::string& name, const std::u16string& path) {
    using QELD::ImageParameters;
    if (name == "decode")
        return decodeOnly(path);
    if (name == "mono")
        return QELD::renderImage(path, ImageParameters{0x00, 320, 200, 0, 1, 0x11, 1}).size();
    if (name == "rgb565")
        return QELD::renderImage(path, ImageParameters{0x02, 640, 480, 0, 1, 0x11, 1}).size();
    if (name == "bgr24")
        return QELD::renderImage(path, ImageParameters{0x04, 800, 480, 0, 1, 0x11, 1}).size();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4)
        return 2;
    const std::u16string path(reinterpret_cast<const char16_t*>(argv[1]));
    std::string name;
    for (const wchar_t* c = argv[2]; *c; ++c)
        name.push_back(static_cast<char>(*c));
    const int repeats = std::max(1, _wtoi(argv[3]));
    try {
        const Win32::ComApartment com(COINIT_MULTITHREADED);
        std::vector<double> times;
        std::size_t bytes = 0;
        for (int i = 0; i < repeats; ++i) {
            const auto start = std::chrono::steady_clock::now();
            bytes = runCase(name, path);
            times.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
        std::sort(times.begin(), times.end());
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
        std::printf("%s median_ms %.1f peak_private_mb %.1f peak_working_set_mb %.1f bytes %zu\n",
                    name.c_str(), times[times.size() / 2], memory.PeakPagefileUsage / 1048576.0,
                    memory.PeakWorkingSetSize / 1048576.0, bytes);
        return 0;
    } catch (const std::exception& e) {
        std::printf("%s failed: %s\n", name.c_str(), e.what());
        return 1;
    }
}
