#include "tests/tools/vtablet_probe.h"

#include "tools/vtablet/core/png_writer.h"
#include "tests/support/temporary_file.h"

#include <fstream>
#include <iterator>

using namespace Korva::VTablet;
using namespace Korva::VTablet::Probe;

namespace {

// Vertical bands of black, white, red and blue: colours every format keeps
// exactly (red and blue lose nothing in 16 bits; 1 bit keeps black and white
// only, so the monochrome picture uses the first two bands).
const std::uint8_t bands[4][3] = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 0, 255}};

int bandOf(int x, int width, int count) {
    return x * count / width;
}

Bytes expectedScreen(int width, int height, int count) {
    Bytes rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rgb.insert(rgb.end(), bands[bandOf(x, width, count)],
                       bands[bandOf(x, width, count)] + 3);
    return rgb;
}

// The bands in the tablet's byte layout, written here independently of the
// tablet's decoder.
Bytes encodedBands(std::uint8_t mode, int width, int height) {
    Bytes out;
    const int stride = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        Bytes row((mode & 0x0F) == 0 ? stride : 0);
        for (int x = 0; x < width; ++x) {
            if ((mode & 0x0F) == 0) {
                if (bandOf(x, width, 2) == 1)
                    row[x / 8] |= 0x80 >> (x % 8);
                continue;
            }
            const std::uint8_t* c = bands[bandOf(x, width, 4)];
            if ((mode & 0x0F) == 2) {
                const int v = (c[0] >> 3) << 11 | (c[1] >> 2) << 5 | (c[2] >> 3);
                row.insert(row.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
            } else {
                row.insert(row.end(), {c[2], c[1], c[0]});
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

Bytes readFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

} // namespace

class VTabletTransfer : public VirtualTablets {};

TEST_F(VTabletTransfer, ImagesThroughReportsBecomeTheScreen) {
    struct Case {
        std::uint16_t product;
        std::uint8_t mode;
        int width, height, bandCount;
    };
    for (const Case& c : {Case{0x0C13, 0x00, 396, 100, 2}, Case{0x0C16, 0x02, 320, 200, 4},
                          Case{0x0C17, 0x04, 96, 64, 4}}) {
        const std::uint32_t slot = plug(c.product, c.width, c.height);
        const HidNode node = waitForHidNode(*bus, slot);
        ASSERT_FALSE(node.path.empty());
        auto hid = openOverlapped(node.path);
        uploadByReports(hid.get(), c.mode, encodedBands(c.mode, c.width, c.height));
        EXPECT_EQ(bus->query(slot).state.counters.images, 1u) << c.product;
        EXPECT_TRUE(screenOf(*bus, slot) == expectedScreen(c.width, c.height, c.bandCount))
            << c.product;
    }
}

TEST_F(VTabletTransfer, ImageThroughTheBulkDoubleAndTheToolsPng) {
    WinUsbDouble winusb;
    ASSERT_TRUE(winusb.module && winusb.initialize && winusb.writePipe && winusb.result)
        << "winusb.dll of the test double next to the program";
    const std::uint32_t slot = plug(0x0C17, 640, 480, true);
    const HidNode node = waitForHidNode(*bus, slot);
    ASSERT_FALSE(node.path.empty());
    const auto paths =
        interfacePaths(*reinterpret_cast<const GUID*>(&winusbInterfaceGuid), node.siblingId);
    ASSERT_EQ(paths.size(), 1u);
    auto hid = openOverlapped(node.path);
    auto file = openOverlapped(paths[0]);
    ASSERT_TRUE(file) << GetLastError();
    WINUSB_INTERFACE_HANDLE usb = nullptr;
    ASSERT_TRUE(winusb.initialize(file.get(), &usb)) << GetLastError();
    WINUSB_PIPE_INFORMATION pipe{};
    ASSERT_TRUE(winusb.queryPipe(usb, 0, 0, &pipe));
    EXPECT_EQ(pipe.PipeType, UsbdPipeTypeBulk);
    EXPECT_EQ(pipe.PipeId, 0x01);

    Bytes image = encodedBands(0x14, 640, 480);
    ASSERT_TRUE(setReport(hid.get(), {0x25, 0x14}));
    Korva::Win32::unique_event event = Korva::Win32::createEvent();
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    const BOOL written = winusb.writePipe(usb, pipe.PipeId, image.data(),
                                          static_cast<ULONG>(image.size()), nullptr, &overlapped);
    ASSERT_TRUE(written || GetLastError() == ERROR_IO_PENDING) << GetLastError();
    DWORD transferred = 0;
    ASSERT_TRUE(winusb.result(usb, &overlapped, &transferred, TRUE)) << GetLastError();
    EXPECT_EQ(transferred, image.size());
    ASSERT_TRUE(setReport(hid.get(), {0x27, 0x00}));
    winusb.freeHandle(usb);
    const Bytes expected = expectedScreen(640, 480, 4);
    EXPECT_TRUE(screenOf(*bus, slot) == expected);
    EXPECT_EQ(bus->query(slot).state.counters.bulkBytes, image.size());

    const Korva::QELD::Test::TemporaryFile pngFile(L"vtablet-screen", L".png");
    const std::wstring& png = pngFile.path();
    std::string output;
    ASSERT_EQ(runTool(L"screen " + std::to_wstring(slot) + L" \"" + png + L"\"", output), 0u);
    EXPECT_TRUE(readFile(png) == encodePng(expected.data(), 640, 480));
}
