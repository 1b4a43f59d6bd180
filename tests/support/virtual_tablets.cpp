#include "tests/support/virtual_tablets.h"

#include "tests/support/temporary_file.h"
#include "tests/support/wine_paths.h"

#include <sstream>
#include <stdexcept>

namespace Korva::QELD::Test {

ProcessResult runVirtualTabletTool(const std::wstring& arguments) {
    // Installing the drivers into a fresh prefix takes the longest.
    constexpr DWORD timeout = 60000;
    const std::wstring tool = windowsPath(std::string_view(VTABLET_EXE));
    return runProcessWithOutputFile(L"\"" + tool + L"\" " + arguments, timeout);
}

VirtualTablets::VirtualTablets() {
    run("install");
    unplugAll();
}

VirtualTablets::~VirtualTablets() {
    try {
        unplugAll();
    } catch (...) {
        // The next test starts by unplugging again.
    }
}

void VirtualTablets::unplugAll() {
    std::istringstream lines(run("list"));
    std::string line;
    while (std::getline(lines, line))
        if (!line.empty())
            unplug(std::stoi(line));
}

std::string VirtualTablets::run(const std::string& arguments) {
    const auto result = runVirtualTabletTool(std::wstring(arguments.begin(), arguments.end()));
    if (result.exitCode != 0)
        throw std::runtime_error("vtablet " + arguments + ": " + result.output);
    return result.output;
}

int VirtualTablets::plug(const std::string& arguments) {
    return std::stoi(run("plug " + arguments));
}

void VirtualTablets::unplug(int slot) {
    run("unplug " + std::to_string(slot));
}

void VirtualTablets::fault(int slot, const std::string& arguments) {
    run("fault " + std::to_string(slot) + " " + arguments);
}

std::vector<std::uint8_t> VirtualTablets::screen(int slot) {
    const TemporaryFile file(L"qeld-vtablet-screen", L".ppm");
    run("screen " + std::to_string(slot) + " " +
        std::string(file.path().begin(), file.path().end()));
    std::istringstream image(file.read());
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    image >> magic >> width >> height >> maximum;
    image.get();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    image.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    if (magic != "P6" || !image)
        throw std::runtime_error("unreadable screen of tablet " + std::to_string(slot));
    return pixels;
}

} // namespace Korva::QELD::Test
