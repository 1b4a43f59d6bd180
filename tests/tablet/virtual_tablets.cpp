#include "virtual_tablets.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace Korva::QEL::Test {
namespace {

// The build passes the tool's location as a path of the build machine;
// Wine shows that file system as drive Z.
std::string windowsPath(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return "Z:" + path;
}

std::string temporaryFile(const char* extension) {
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    // A fresh prefix may not have made its temporary folder yet.
    ::CreateDirectoryA(folder, nullptr);
    // Driver services started by the tool inherit its output file and keep
    // it open, and Wine reuses process ids: every call gets a name of its own.
    static unsigned calls = 0;
    return std::string(folder) + "qeld-vtablet-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(::GetTickCount64()) + "-" + std::to_string(++calls) + extension;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

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

// Output goes through a file, never a pipe: the tool may start driver
// services that would inherit a pipe and keep it open.
std::string VirtualTablets::run(const std::string& arguments) {
    const std::string output = temporaryFile(".txt");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = ::CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + output + ": error " +
                                 std::to_string(::GetLastError()));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = file;
    std::string command = "\"" + windowsPath(VTABLET_EXE) + "\" " + arguments;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0,
                                          nullptr, nullptr, &startup, &process);
    ::CloseHandle(file);
    if (!started)
        throw std::runtime_error("cannot start " + command);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    std::string text = readFile(output);
    ::DeleteFileA(output.c_str());
    if (exitCode != 0)
        throw std::runtime_error("vtablet " + arguments + ": " + text);
    return text;
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
    const std::string path = temporaryFile(".ppm");
    run("screen " + std::to_string(slot) + " " + path);
    std::istringstream image(readFile(path));
    ::DeleteFileA(path.c_str());
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

} // namespace Korva::QEL::Test
