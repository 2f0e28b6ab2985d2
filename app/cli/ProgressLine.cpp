#include "app/cli/ProgressLine.h"

#include <sys/ioctl.h>

#include "app/core/HumanSize.h"
#include "app/core/PathParts.h"

namespace {

constexpr std::chrono::milliseconds kRedraw{100};

std::string Trimmed(std::string text)
{
    text.erase(0, text.find_first_not_of(' '));
    return text;
}

std::string Clock(double seconds)
{
    const long long whole = static_cast<long long>(seconds + 0.5);
    const long long minutes = whole / 60, rest = whole % 60;
    return std::to_string(minutes) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

FileSize Clamped(long long bytes)
{
    return static_cast<FileSize>(std::min<long long>(bytes, 0x7FFFFFFF));
}

// At most `width` columns, never cutting a UTF-8 sequence.
std::string Fitted(std::string text, std::size_t width)
{
    std::size_t columns = 0, at = 0;
    for (; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
        if (columns == width) break;
        ++columns;
    }
    text.resize(at);
    return text;
}

}  // namespace

std::size_t TerminalWidth(int descriptor)
{
    winsize size{};
    if (::ioctl(descriptor, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

TProgressLine::TProgressLine(std::ostream& terminal, std::size_t width)
    : terminal_(terminal), width_(width > 1 ? width - 1 : 1)
{
}

void TProgressLine::Planned(const std::vector<TJob>& jobs)
{
    jobs_ = &jobs;
    begin_ = std::chrono::steady_clock::now();
    Draw(true);
}

void TProgressLine::Started(const TJob&)
{
    running_.insert(started_++);
    Draw(false);
}

void TProgressLine::Finished(const TJob&, const TFileOutcome& outcome)
{
    running_.erase(outcome.index);
    ++done_;
    if (!outcome.failed) {
        bytesIn_ += outcome.result.originalSize;
        bytesOut_ += outcome.result.optimizedSize;
    }
    Draw(false);
}

void TProgressLine::Clear()
{
    if (!shown_) return;
    terminal_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    shown_ = false;
}

void TProgressLine::Draw(bool now)
{
    const auto time = std::chrono::steady_clock::now();
    if (!now && shown_ && time - drawn_ < kRedraw) return;
    drawn_ = time;
    const std::size_t total = jobs_ ? jobs_->size() : 0;
    const double elapsed = std::chrono::duration<double>(time - begin_).count();
    std::string line = "[" + std::to_string(done_) + "/" + std::to_string(total) + "] " +
                       Trimmed(HumanSize(Clamped(bytesIn_))) + " -> " + Trimmed(HumanSize(Clamped(bytesOut_))) + "  " +
                       Clock(elapsed) + " elapsed";
    if (done_ > 0 && done_ < total)
        line += ", " + Clock(elapsed / static_cast<double>(done_) * static_cast<double>(total - done_)) + " left";
    if (jobs_ && !running_.empty()) {
        line += " ";
        for (const std::size_t index : running_) line += " " + FileNameOf((*jobs_)[index].source);
    }
    line = Fitted(line, width_);
    terminal_ << '\r' << line;
    if (line.size() < width_) terminal_ << "\x1b[K";
    terminal_ << std::flush;
    shown_ = true;
}
