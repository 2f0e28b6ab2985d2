#include "app/core/SignalCleanup.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <thread>

#include "compressors/base/RunControl.h"

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The pipe's write end, for the handler; -1 until a cleanup is made. Process
// wide as signal handlers are; constant-initialized, so the handler may read it.
std::atomic<int>& SignalPipe()
{
    static std::atomic<int> pipe{-1};
    return pipe;
}

extern "C" void NoteSignal(int signal)
{
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe().load(), &number, 1);
    errno = saved;
}

// Waits for the first signal the handler passes on; its number.
int ReadSignal(int pipe)
{
    for (;;) {
        unsigned char number = 0;
        const ssize_t got = ::read(pipe, &number, 1);
        if (got == 1) return number;
        if (got < 0 && errno == EINTR) continue;
        return 0;  // cannot happen: the write end stays open
    }
}

}  // namespace

TSignalCleanup::TSignalCleanup(std::shared_ptr<TRunControl> control)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("Cannot make a pipe for the signal handler.");
    ::fcntl(fds[1], F_SETFL, O_NONBLOCK);  // a full pipe drops the note: one is enough
    int unset = -1;
    if (!SignalPipe().compare_exchange_strong(unset, fds[1])) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw std::logic_error("Only one signal cleanup per program.");
    }

    std::thread([control = std::move(control), pipe = fds[0], flag = received_] {
        // This thread takes no signal itself, so its read is never cut short.
        sigset_t ending;
        sigemptyset(&ending);
        for (const int signal : kEndingSignals) sigaddset(&ending, signal);
        pthread_sigmask(SIG_BLOCK, &ending, nullptr);
        const int received = ReadSignal(pipe);
        if (received == 0) return;
        flag->store(true);
        control->CleanUpForExit();
        // Die by the signal itself, so the caller sees how the program ended.
        ::signal(received, SIG_DFL);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, received);
        pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
        ::raise(received);
    }).detach();

    struct sigaction action {};
    action.sa_handler = NoteSignal;
    action.sa_flags = SA_RESTART;
    sigfillset(&action.sa_mask);
    for (const int signal : kEndingSignals) {
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
        ::sigaction(signal, &action, nullptr);
    }
}

TSignalCleanup::~TSignalCleanup()
{
    while (received_->load()) ::pause();
}
