#include "ui/Interruption.hpp"

#include "core/Interruption.hpp"

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <csignal>
#include <iostream>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace Dizezida::Rezizida {
namespace {

std::atomic<int> g_caught{0};
int g_pipe[2] = {-1, -1};

extern "C" void on_interruption(int signal) {
    int none = 0;
    if (!g_caught.compare_exchange_strong(none, signal))
        _exit(128 + signal);
    const auto byte = static_cast<unsigned char>(signal);
    (void)!::write(g_pipe[1], &byte, 1);
}

/// Waits for the first signal, interrupts the work, then cancels whatever
/// still runs until the process ends.
void watch() {
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) != 1) {
    }
    Core::Interruption::request(byte);
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        Core::Interruption::cancel_running();
    }
}

} // namespace

void catch_interruptions() {
    static std::once_flag started;
    std::call_once(started, [] {
        if (::pipe2(g_pipe, O_CLOEXEC) != 0)
            return;
        std::thread(watch).detach();
        struct sigaction action{};
        action.sa_handler = on_interruption;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    });
}

int interrupted_status() {
    const int signal = Core::Interruption::signal();
    return signal == 0 ? 0 : 128 + signal;
}

int report_interruption(std::string_view command, std::string_view what) {
    std::cerr << command << ": interrupted: " << what << '\n';
    return interrupted_status();
}

} // namespace Dizezida::Rezizida
