#include "compressors/base/RunControl.h"

#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdio>

TRunControl::TRunControl() : cancelSignal_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void TRunControl::BeginRun()
{
    std::lock_guard lock(mutex_);
    cancelled_ = closed_;
    notices_.clear();
    if (!cancelled_ && cancelSignal_.valid()) {
        eventfd_t count = 0;
        ::eventfd_read(cancelSignal_.get(), &count);  // back to not readable
    }
}

int TRunControl::CreateTemporaryFile(const std::string& path, const std::function<int()>& create)
{
    std::lock_guard lock(mutex_);
    if (cancelled_) throw RunCancelled();
    const int descriptor = create();
    if (descriptor >= 0) temporaryFiles_.insert(path);
    return descriptor;
}

int TRunControl::RenameTemporaryFile(const std::string& path, const std::string& target)
{
    std::lock_guard lock(mutex_);
    const int result = std::rename(path.c_str(), target.c_str());
    if (result == 0) temporaryFiles_.erase(path);
    return result;
}

void TRunControl::RemoveTemporaryFile(const std::string& path) noexcept
{
    std::lock_guard lock(mutex_);
    if (temporaryFiles_.erase(path) > 0) ::unlink(path.c_str());
}

pid_t TRunControl::StartProcessGroup(const std::function<pid_t()>& start)
{
    std::lock_guard lock(mutex_);
    if (cancelled_) throw RunCancelled();
    const pid_t group = start();
    if (group > 0) processGroups_.insert(group);
    return group;
}

void TRunControl::EndProcessGroup(pid_t group) noexcept
{
    std::lock_guard lock(mutex_);
    processGroups_.erase(group);
}

void TRunControl::Cancel() noexcept
{
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    KillGroups();
    SignalCancel();
}

bool TRunControl::Cancelled() const
{
    std::lock_guard lock(mutex_);
    return cancelled_;
}

void TRunControl::CleanUpForExit() noexcept
{
    std::lock_guard lock(mutex_);
    cancelled_ = closed_ = true;
    KillGroups();
    SignalCancel();
    for (const std::string& path : temporaryFiles_) ::unlink(path.c_str());
    temporaryFiles_.clear();
}

bool TRunControl::FirstNotice(const std::string& key)
{
    std::lock_guard lock(mutex_);
    return notices_.insert(key).second;
}

void TRunControl::KillGroups() noexcept
{
    for (const pid_t group : processGroups_) ::kill(-group, SIGKILL);
}

void TRunControl::SignalCancel() noexcept
{
    if (cancelSignal_.valid()) ::eventfd_write(cancelSignal_.get(), 1);
}
