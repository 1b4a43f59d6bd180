#include "service/console.h"

#include "common/error_categories.h"
#include "common/privileges.h"
#include "common/thread_name.h"
#include "common/core/utf.h"
#include "qeld_version.h"
#include "service/core/command_line.h"
#include "service/main_thread.h"
#include "service/window_thread.h"

#include <atomic>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

namespace Korva::QELD {
namespace {

std::wstring wide(std::string_view utf8) {
    const auto text = utf16FromUtf8(utf8);
    return std::wstring(text.begin(), text.end());
}

void writeBanner() {
    std::cout << QELD_PRODUCT_NAME << std::endl
              << "v" QELD_VERSION_TEXT << std::endl
              << QELD_COPYRIGHT ". All rights reserved." << std::endl
              << std::endl;
}

void writeCommandList() {
    std::cout << "console commands:" << std::endl
              << "\tq\tquit" << std::endl
              << "\ts\temulate suspend notification" << std::endl
              << "\tr\temulate resume  notification" << std::endl
              << "\td\temulate device  notification" << std::endl
              << "\t(setUpdateTime & setDirectory tbd)" << std::endl;
}

// The threads of a running console. Whatever way the console ends, the
// destructor raises quit, ends the window and joins both threads, main first.
// A window thread that cannot start ends the main thread too, and its failure
// reaches the console's exception report.
class ConsoleThreads {
public:
    explicit ConsoleThreads(ConfigurationData& settings)
        : settings_(settings), quitEvent_(Win32::createEvent()), sink_(),
          windowThread_(settings, quitEvent_.get()), main_([this] {
              mainFailed_ = !MainThread(settings_, &sink_)();
              mainEnded_ = true;
          }) {
        try {
            window_ = std::thread(std::ref(windowThread_));
        } catch (...) {
            stop();
            throw;
        }
    }

    ~ConsoleThreads() { stop(); }

    // Raises quit and joins both threads; later calls do nothing.
    void stop() noexcept {
        if (!main_.joinable())
            return;
        try {
            settings_.signalQuit();
        } catch (...) {
        }
        ::SetEvent(quitEvent_.get());
        main_.join();
        if (window_.joinable())
            window_.join();
        windowThread_.deviceNotification().reset();
    }

    bool mainEnded() const noexcept { return mainEnded_; }
    // Valid once stopped.
    bool mainFailed() const noexcept { return mainFailed_; }

private:
    ConfigurationData& settings_;
    Win32::unique_event quitEvent_;
    ConsoleEventSink sink_;
    WindowThread windowThread_;
    std::atomic<bool> mainEnded_{false};
    std::atomic<bool> mainFailed_{false};
    std::thread main_;
    std::thread window_;
};

void signal(ConfigurationData& settings, ConsoleCommand command) {
    switch (command) {
    case ConsoleCommand::Suspend:
        settings.signalSuspend();
        break;
    case ConsoleCommand::Resume:
        settings.signalResume();
        break;
    case ConsoleCommand::DeviceChange:
        settings.signalDeviceChange();
        break;
    default:
        break;
    }
}

// Reads commands until "q". The end of standard input counts as "q": an
// operator who closes the input, or a script whose input runs out, means to
// stop, and reading on would only repeat "unknown command" for ever.
void commandLoop(ConfigurationData& settings, const ConsoleThreads& threads) {
    std::wstring line;
    for (;;) {
        std::cout << ">" << std::flush;
        if (!std::getline(std::wcin, line))
            return;
        if (threads.mainEnded()) {
            std::cout << "FATAL ERROR: main thread has unexpectedly ended" << std::endl;
            return;
        }
        const auto command = consoleCommand(
            std::u16string_view(reinterpret_cast<const char16_t*>(line.data()), line.size()));
        if (command == ConsoleCommand::Quit)
            return;
        std::cout << consoleReply(command) << std::endl;
        signal(settings, command);
    }
}

// True unless the main loop failed.
bool runConsole(std::optional<ConfigurationData>& settings) {
    Win32::setThreadName("console");
    writeBanner();
    Win32::reducePrivileges();
    settings.emplace();
    if (!settings->init()) {
        std::wcout << L"No configuration data." << std::endl;
        return true;
    }
    ConsoleThreads threads(*settings);
    writeCommandList();
    commandLoop(*settings, threads);
    threads.stop();
    return !threads.mainFailed();
}

} // namespace

int console() noexcept {
    std::optional<ConfigurationData> settings;
    try {
        return runConsole(settings) ? 0 : 1;
    } catch (const std::system_error& e) {
        std::wcout << L"EXCEPTION: system_error caught in console(): "
                   << wide(e.code().category().name()) << L":" << e.code().value() << L"  "
                   << wide(e.what()) << std::endl;
    } catch (const std::exception& e) {
        std::wcout << L"EXCEPTION: exception caught in console(): " << wide(e.what()) << std::endl;
    } catch (...) {
        std::cout << "EXCEPTION: unknown exception caught in console()" << std::endl;
    }
    return 1;
}

} // namespace Korva::QELD
