#include "app/cli/ProgressLine.h"

#include <sys/ioctl.h>

#include <algorithm>

#include "app/core/HumanSize.h"
#include "app/core/PathParts.h"
#include "app/core/Utf8.h"

namespace {

constexpr std::chrono::milliseconds kRedraw{250};

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

std::string Bytes(long long bytes)
{
    return Trimmed(HumanSize(std::max<long long>(bytes, 0)));
}

bool Wide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

// `text` made safe for one terminal line and cut to at most `columns`
// columns: control characters and bytes that are no UTF-8 become "?", a wide
// (East Asian, emoji) character counts two columns.
std::string TerminalFitted(const std::string& text, std::size_t columns)
{
    std::string fitted;
    std::size_t taken = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, at);
        const char32_t point = length == 0 ? U'?' : Utf8CodePoint(text, at, length);
        std::string piece = length == 0 ? "?" : text.substr(at, length);
        if (length == 0 || point < 0x20 || (point >= 0x7F && point < 0xA0)) piece = "?";
        const std::size_t width = length != 0 && Wide(point) ? 2 : 1;
        if (taken + width > columns) break;
        fitted += piece;
        taken += width;
        at += length == 0 ? 1 : length;
    }
    return fitted;
}

}  // namespace

std::size_t TerminalWidth(int descriptor)
{
    winsize size{};
    if (::ioctl(descriptor, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}


TProgressLine::TProgressLine(std::ostream& terminal, std::function<std::size_t()> width)
    : terminal_(terminal), width_(std::move(width))
{
}

void TProgressLine::Planned(const std::vector<TJob>& jobs)
{
    total_ = jobs.size();
    planned_ = true;
    begin_ = std::chrono::steady_clock::now();
    Draw(true);
}

void TProgressLine::Started(const TJob& job)
{
    running_.emplace_back(job.destination, FileNameOf(job.source));
    Draw(false);
}

void TProgressLine::Finished(const TJob& job, const TFileOutcome& outcome)
{
    // Jobs that share a destination never run at once: it names the file under way.
    const auto found = std::find_if(running_.begin(), running_.end(),
                                    [&job](const auto& entry) { return entry.first == job.destination; });
    if (found != running_.end()) running_.erase(found);
    done_ = std::min(done_ + 1, total_);
    if (!outcome.failed) {
        bytesIn_ += outcome.result.originalSize;
        bytesOut_ += outcome.result.optimizedSize;
    }
    Draw(false);
}

void TProgressLine::Tick()
{
    Draw(false);
}

void TProgressLine::Clear()
{
    if (!shown_) return;
    terminal_ << "\r\x1b[K" << std::flush;
    shown_ = false;
}

std::string TProgressLine::Text(std::size_t columns) const
{
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin_).count();
    std::string line = "[" + std::to_string(done_) + "/" + std::to_string(total_) + "] " + Bytes(bytesIn_) +
                       " -> " + Bytes(bytesOut_) + "  " + Clock(elapsed) + " elapsed";
    if (done_ > 0 && done_ < total_)
        line += ", " + Clock(elapsed / static_cast<double>(done_) * static_cast<double>(total_ - done_)) + " left";
    if (!running_.empty()) {
        line += " ";
        for (const auto& entry : running_) line += " " + entry.second;
    }
    return TerminalFitted(line, columns);
}

void TProgressLine::Draw(bool now)
{
    if (!planned_) return;
    const auto time = std::chrono::steady_clock::now();
    if (!now && shown_ && time - drawn_ < kRedraw) return;
    drawn_ = time;
    const std::size_t width = width_();
    // Erase to the end of the line: the last drawing may have been longer.
    terminal_ << '\r' << Text(width > 1 ? width - 1 : 1) << "\x1b[K" << std::flush;
    shown_ = true;
}
