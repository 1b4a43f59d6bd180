// vtablet.exe: installs the virtual tablet drivers, plugs and unplugs
// tablets, injects faults and input reports and shows what a tablet
// received.
#include "common/core/utf.h"
#include "tools/vtablet/core/command_args.h"
#include "tools/vtablet/core/png_writer.h"
#include "tools/vtablet/tool/bus_client.h"
#include "tools/vtablet/tool/installer.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Korva::VTablet;

namespace {

const char usage[] =
    "usage: vtablet install | uninstall | list\n"
    "       vtablet plug <pid|model key> [--size WxH] [--bulk] [--noncomposite] [--busy N]\n"
    "                    [--usb full|instant]\n"
    "       vtablet unplug <n> | status <n> | log <n> | screen <n> <file.png|file.ppm>\n"
    "       vtablet fault <n> status <s|off> | busy <N> | refuse <N> | latency <ms>\n"
    "                         | bulk-rate <bytes/s>\n"
    "                         | zero-width | huge-screen | pull | bulk-in | deny-open | hang\n"
    "                         | none\n"
    "       vtablet input <n> <hex bytes of 8-byte reports with id 01>\n";

std::wstring programFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

std::uint32_t slotArgument(const std::vector<std::string>& args, std::size_t at) {
    if (args.size() <= at || args[at].empty() ||
        args[at].find_first_not_of("0123456789") != std::string::npos)
        throw std::invalid_argument(usage);
    const unsigned long slot = std::stoul(args[at]);
    if (slot >= maxTablets)
        throw std::invalid_argument("tablet number out of range");
    return static_cast<std::uint32_t>(slot);
}

void writeScreen(BusClient& bus, std::uint32_t slot, const std::wstring& file) {
    const TabletSetup setup = bus.query(slot).state.setup;
    const std::vector<std::uint8_t> rgb = bus.screen(slot, setup);
    const bool ppm = file.size() > 4 && file.substr(file.size() - 4) == L".ppm";
    const std::vector<std::uint8_t> bytes = ppm ? encodePpm(rgb.data(), setup.width, setup.height)
                                                : encodePng(rgb.data(), setup.width, setup.height);
    std::ofstream out(file.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write the screen file");
}

void list(BusClient& bus) {
    for (std::uint32_t slot = 0; slot < maxTablets; ++slot) {
        const SlotInfo info = bus.query(slot);
        if (info.plugged)
            std::printf("%s\n", listLine(slot, info).c_str());
    }
}

void fault(BusClient& bus, const std::vector<std::string>& args) {
    const std::uint32_t slot = slotArgument(args, 1);
    const TabletState state = bus.query(slot).state;
    Faults faults = state.faults;
    if (args.size() < 3 || !applyFault(faults, args[2], args.size() > 3 ? args[3] : ""))
        throw std::invalid_argument(usage);
    // Clearing the faults leaves the timing the tablet was plugged with.
    if (args[2] == "none") {
        faults.latencyMs = state.setup.latencyMs;
        faults.bulkBytesPerSecond = state.setup.bulkBytesPerSecond;
    }
    bus.setFaults(slot, faults);
}

// Each report is sent on its own, in order, so that each ends one read.
void input(BusClient& bus, const std::vector<std::string>& args) {
    const std::uint32_t slot = slotArgument(args, 1);
    const std::vector<std::uint8_t> bytes = parseInputReports({args.begin() + 2, args.end()});
    if (bytes.empty())
        throw std::invalid_argument(usage);
    for (std::size_t at = 0; at < bytes.size(); at += inputReportLength)
        bus.sendInput(slot, bytes.data() + at);
}

void run(const std::vector<std::string>& args, const std::vector<std::wstring>& wide) {
    const std::string command = args.empty() ? "" : args[0];
    if (command == "install")
        return installDrivers(programFolder());
    if (command == "uninstall")
        return uninstallDrivers();
    BusClient bus;
    if (command == "plug") {
        const auto setup = parsePlug({args.begin() + 1, args.end()});
        if (!setup)
            throw std::invalid_argument(usage);
        std::printf("%u\n", bus.plug(*setup));
    } else if (command == "unplug") {
        bus.unplug(slotArgument(args, 1));
    } else if (command == "list") {
        list(bus);
    } else if (command == "fault") {
        fault(bus, args);
    } else if (command == "input") {
        input(bus, args);
    } else if (command == "status") {
        std::printf("%s", statusText(bus.query(slotArgument(args, 1))).c_str());
    } else if (command == "log") {
        std::printf("%s", logText(bus.query(slotArgument(args, 1)).state).c_str());
    } else if (command == "screen" && args.size() == 3) {
        writeScreen(bus, slotArgument(args, 1), wide[2]);
    } else {
        throw std::invalid_argument(usage);
    }
}

} // namespace

int main() {
    try {
        int count = 0;
        LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
        std::vector<std::wstring> wide(argv + 1, argv + count);
        LocalFree(argv);
        std::vector<std::string> args;
        for (const std::wstring& arg : wide)
            args.push_back(Korva::utf8FromUtf16(std::u16string(arg.begin(), arg.end())));
        run(args, wide);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vtablet: %s\n", e.what());
        return 1;
    }
}
