// The host's share of an upload: the product's conversation with a tablet
// (UsbInterface and Protocol::uploadImage) against the same reports made with
// the bare system calls on the same tablet, in the same run. Through feature
// reports the bare side is HidD_GetFeature and HidD_SetFeature, through the
// bulk pipe one WinUsb_WritePipe of the whole picture between the same
// reports. Every attached tablet is measured; plug them with --busy 0, so
// that the tablet's own busy time does not count.
// Usage: transfer_bench.exe [runs]   (prints one line per tablet)
#include "common/hid.h"
#include "tablet/core/product_tables.h"
#include "tablet/core/protocol.h"
#include "tablet/discovery.h"
#include "tablet/usb_interface.h"

#include <algorithm>
#include <utility>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

using namespace Korva;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

namespace {

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void check(BOOL ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string(what) + " failed: " + std::to_string(GetLastError()));
}

std::uint8_t bareStatus(HANDLE hid) {
    Bytes report{0x03, 0, 0, 0, 0};
    check(HidD_GetFeature(hid, report.data(), 5), "HidD_GetFeature");
    return report[1];
}

void bareSet(HANDLE hid, Bytes report) {
    check(HidD_SetFeature(hid, report.data(), static_cast<ULONG>(report.size())),
          "HidD_SetFeature");
}

// The conversation of uploadImage with bare calls and no pauses: status,
// start, the data, end, status until ready.
void bareUpload(HANDLE hid, WINUSB_INTERFACE_HANDLE pipe, Win32::WinusbDll& winusb,
                std::uint8_t mode, const Bytes& image) {
    bareStatus(hid);
    bareStatus(hid);
    bareSet(hid, {0x25, mode});
    bareStatus(hid);
    if (mode & QEL::encodingBulk) {
        ULONG written = 0;
        check(winusb.WritePipe(pipe, 0x01, const_cast<std::uint8_t*>(image.data()),
                               static_cast<ULONG>(image.size()), &written, nullptr),
              "WinUsb_WritePipe");
    } else {
        Bytes report(256);
        for (std::size_t offset = 0; offset < image.size(); offset += 253) {
            const std::size_t n = std::min<std::size_t>(253, image.size() - offset);
            std::fill(report.begin(), report.end(), 0);
            report[0] = 0x26;
            report[1] = static_cast<std::uint8_t>(n);
            std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), n, report.begin() + 3);
            check(HidD_SetFeature(hid, report.data(), 256), "HidD_SetFeature");
        }
    }
    bareSet(hid, {0x27, 0x00});
    while (bareStatus(hid) != 0) {
    }
}

// One upload through the product as a worker makes it: open, uploadImage
// from the shared picture, close; the upload and the whole hold in
// milliseconds.
std::pair<double, double> productUpload(const QEL::TabletDevice& device,
                                        const std::shared_ptr<Win32::WinusbDll>& winusb,
                                        const QEL::SharedBytes& image) {
    QEL::UsbInterface tablet(winusb);
    if (tablet.open(device, QEL::Access::Exclusive))
        throw std::runtime_error("the tablet does not open");
    tablet.setPicture(image);
    const std::uint8_t mode = QEL::encodingModeFor(device.idProduct, tablet.canWriteBulk());
    const auto start = Clock::now();
    QEL::Protocol(tablet).uploadImage(mode, image->data(), image->size());
    const double upload = millisecondsSince(start);
    tablet.close();
    return {upload, millisecondsSince(tablet.openedAt())};
}

// The same conversation through the bare calls, on handles opened before the
// clock starts.
double bareUploadTime(const QEL::TabletDevice& device, Win32::WinusbDll& winusb, std::uint8_t mode,
                      const Bytes& image) {
    Win32::unique_file hid(CreateFileW(device.hidPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    Win32::unique_file bulkFile;
    WINUSB_INTERFACE_HANDLE pipe = nullptr;
    if (mode & QEL::encodingBulk) {
        bulkFile.reset(CreateFileW(device.bulkPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
        check(winusb.load() && winusb.Initialize(bulkFile.get(), &pipe), "WinUsb_Initialize");
    }
    const auto start = Clock::now();
    bareUpload(hid.get(), pipe, winusb, mode, image);
    const double elapsed = millisecondsSince(start);
    if (pipe)
        winusb.Free(pipe);
    return elapsed;
}

// Medians of the runs; the ratios are medians of each run's own ratio, as
// the two sides of a run meet the machine in the same state.
struct Figures {
    double bare, upload, hold, uploadRatio, holdRatio;
};

// Runs alternate which side goes first, so that neither always meets the
// tablet or the machine in the same state.
Figures measure(const QEL::TabletDevice& device, int runs) {
    auto winusb = std::make_shared<Win32::WinusbDll>();
    QEL::UsbInterface probe(winusb);
    if (probe.open(device, QEL::Access::Shared))
        throw std::runtime_error("the tablet does not open");
    const std::uint8_t mode = QEL::encodingModeFor(device.idProduct, probe.canWriteBulk());
    const auto capability = QEL::Protocol(probe).readCapability();
    probe.close();
    const auto image =
        std::make_shared<const Bytes>(std::size_t{capability.width} * capability.height *
                                          (mode & 0x04   ? 3
                                           : mode & 0x02 ? 2
                                                         : 1),
                                      0x5A);
    std::vector<double> bare, upload, hold, uploadRatio, holdRatio;
    for (int run = 0; run < runs; ++run) {
        if (run % 2 == 1)
            bare.push_back(bareUploadTime(device, *winusb, mode, *image));
        const auto [product, held] = productUpload(device, winusb, image);
        upload.push_back(product);
        hold.push_back(held);
        if (run % 2 == 0)
            bare.push_back(bareUploadTime(device, *winusb, mode, *image));
        uploadRatio.push_back(product / bare.back());
        holdRatio.push_back(held / bare.back());
    }
    return {median(bare), median(upload), median(hold), median(uploadRatio), median(holdRatio)};
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    try {
        std::printf("%-6s %-8s %10s %10s %10s %8s %8s\n", "pid", "path", "bare ms", "upload ms",
                    "hold ms", "upload/b", "hold/b");
        for (const auto& device : QEL::listTablets()) {
            const Figures f = measure(device, runs);
            std::printf("%04X   %-8s %10.1f %10.1f %10.1f %8.3f %8.3f\n", device.idProduct,
                        device.bulkPath.empty() ? "reports" : "bulk", f.bare, f.upload, f.hold,
                        f.uploadRatio, f.holdRatio);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "transfer_bench: %s\n", e.what());
        return 1;
    }
}
