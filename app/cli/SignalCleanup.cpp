#include "app/cli/SignalCleanup.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <thread>

#include "compressors/base/RunControl.h"

namespace {

sigset_t EndingSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

}  // namespace

TSignalCleanup::TSignalCleanup(std::shared_ptr<TRunControl> control)
{
    const sigset_t signals = EndingSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([control = std::move(control), signals, flag = received_] {
        int received = 0;
        while (sigwait(&signals, &received) != 0) {}
        flag->store(true);
        control->CleanUpForExit();
        // Die by the signal itself, so the caller sees how the program ended.
        signal(received, SIG_DFL);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, received);
        pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
        raise(received);
    }).detach();
}

TSignalCleanup::~TSignalCleanup()
{
    while (received_->load()) pause();
}
