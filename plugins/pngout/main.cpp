// pngout.exe [/y] [/q] [/sN] SOURCE DESTINATION: lossless PNG recompression.
// A picture with 8-bit samples of up to 4 megapixels is encoded here
// (PngEncoder.h); others go through the level's tools (Levels.h) in turn,
// each on the best file so far. It writes the smallest acceptable result:
// the same pixels (decoded and compared here) and the colour chunks and pHYs
// as in the source (PngChunks.h). Never larger: when nothing is smaller, DESTINATION gets the
// source's bytes. Animated PNGs are copied unchanged.
// Exit status 0 when DESTINATION holds the result; 1 with a one-line reason
// on standard error when the source cannot be read or is no PNG, a tool
// failed, or DESTINATION cannot be written (it then holds the source's bytes
// where it can be written); 2 for a wrong command line.

#include "Levels.h"
#include "PngChunks.h"
#include "PngEncoder.h"
#include "ToolReason.h"
#include "ToolRun.h"

#include "compressors/verify/PngPixels.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;
const char* const kKeptChunks = "iCCP,sRGB,gAMA,cHRM,pHYs,cICP";
// The CPU seconds the quick steps of any level may take on a file.
constexpr double kQuickFloor = 0.25, kQuickPerMegapixel = 1.0;

// A failure with its reason; after the source was read the destination gets
// the source's bytes.
struct TFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::optional<TBytes> ReadFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info{};
    TBytes bytes;
    bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (read) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t at = 0;
        while (at < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + at, bytes.size() - at);
            if (n < 0) read = false;
            if (n <= 0) break;
            at += static_cast<std::size_t>(n);
        }
        bytes.resize(at);
    }
    ::close(fd);
    return read ? std::optional(std::move(bytes)) : std::nullopt;
}

bool WriteFile(const std::string& path, const TBytes& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
        if (n <= 0) break;
        at += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 && at == bytes.size();
}

double CpuSecondsSoFar()
{
    double total = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        ::getrusage(who, &usage);
        total += usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                 usage.ru_stime.tv_usec / 1e6;
    }
    return total;
}

// oxipng beside this program, else on PATH; empty when there is none.
std::string FindOxipng()
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string beside(self, static_cast<std::size_t>(n));
        beside = beside.substr(0, beside.rfind('/') + 1) + "oxipng";
        if (::access(beside.c_str(), X_OK) == 0) return beside;
    }
    const char* path = std::getenv("PATH");
    for (std::string rest = path ? path : ""; !rest.empty();) {
        const std::size_t colon = rest.find(':');
        const std::string candidate = rest.substr(0, colon) + "/oxipng";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    }
    return {};
}

// Whether `bytes` decode to `pixels`: the same size and RGBA samples.
bool SamePixels(const TPngPixels& pixels, const TBytes& bytes)
{
    const std::optional<TPngPixels> decoded = DecodePng(bytes);
    return decoded && decoded->width == pixels.width && decoded->height == pixels.height && decoded->rgba == pixels.rgba;
}

class TRecompression {
public:
    TRecompression(const TBytes& source, const TPngPixels& pixels, const TPngFacts& facts, const TWorkFolder& work)
        : source_(source), pixels_(pixels), facts_(facts), work_(work), best_(source), bestFacts_(facts)
    {
        bestPath_ = work_ / "in.png";
        if (!WriteFile(bestPath_, best_)) throw TFailure("cannot write a work file");
    }

    void Run(const TLevel& level, const std::string& oxipng)
    {
        oxipng_ = oxipng;
        const double megapixels = double(facts_.width) * facts_.height / 1e6, start = CpuSecondsSoFar();
        for (const TStep& step : level.steps) {
            // The quick steps may take up to the hard limit; zopflipng the level's budget.
            budget_ = start + kQuickFloor + kQuickPerMegapixel * megapixels;
            if (step.tool == TTool::Zopflipng) {
                budget_ = start + level.budgetFloor + level.budgetPerMegapixel * megapixels;
                // The cheap trials found nothing: zopflipng would not either.
                if (best_.size() == source_.size()) return;
                if (CpuSecondsSoFar() + ZopflipngSecondsFor(step, RawBytesOf(bestFacts_)) > budget_) return;
            }
            if (!RunStep(step)) return;
        }
    }

    const TBytes& Best() const { return best_; }

private:
    // False when the budget ran out.
    bool RunStep(const TStep& step)
    {
        switch (step.tool) {
        case TTool::Oxipng: {
            std::vector<std::string> arguments{oxipng_, "-q", "-t", "1"};
            arguments.insert(arguments.end(), step.options.begin(), step.options.end());
            arguments.insert(arguments.end(), {"--keep", kKeptChunks});
            const TVerdict verdict = TryKeepingColour("oxipng", std::move(arguments), "--out", "--nc");
            if (verdict == TVerdict::WrongChunks) return RunStep({TTool::Optipng, {"-o2"}});
            return verdict != TVerdict::OverBudget;
        }
        case TTool::Optipng: {
            std::vector<std::string> arguments{"optipng", "-quiet"};
            arguments.insert(arguments.end(), step.options.begin(), step.options.end());
            // optipng strips all metadata or none: all when there is nothing to keep.
            if (facts_.kept.empty()) arguments.insert(arguments.end(), {"-strip", "all"});
            return TryKeepingColour("optipng", std::move(arguments), "-out", "-nc") != TVerdict::OverBudget;
        }
        case TTool::Zopflipng: {
            std::vector<std::string> arguments{"zopflipng", "-y"};
            arguments.insert(arguments.end(), step.options.begin(), step.options.end());
            const std::string output = Next();
            arguments.insert(arguments.end(), {std::string("--keepchunks=") + kKeptChunks, bestPath_, output});
            return Try("zopflipng", arguments, output) != TVerdict::OverBudget;
        }
        }
        return false;
    }

    enum class TVerdict { Taken, NotTaken, WrongChunks, OverBudget };

    // One run of the quick tool on the best file so far; a result whose colour
    // chunks do not fit is made again with colour type changes turned off.
    TVerdict TryKeepingColour(const std::string& tool, std::vector<std::string> arguments, const char* outFlag,
                              const char* noColourChange)
    {
        const std::string input = bestPath_;
        const auto attempt = [&] {
            const std::string output = Next();
            std::vector<std::string> line = arguments;
            line.insert(line.end(), {outFlag, output, input});
            return Try(tool, line, output);
        };
        TVerdict verdict = attempt();
        if (verdict == TVerdict::WrongChunks) {
            arguments.push_back(noColourChange);
            verdict = attempt();
        }
        return verdict;
    }

    std::string Next() { return work_ / ("step" + std::to_string(++steps_) + ".png"); }

    // Runs one tool line that writes `output` and keeps the output when it
    // is smaller and acceptable.
    TVerdict Try(const std::string& tool, const std::vector<std::string>& line, const std::string& output)
    {
        const TToolOutcome outcome = RunTool(line, work_ / "tool.err", budget_ - CpuSecondsSoFar());
        if (outcome.overBudget) return TVerdict::OverBudget;
        if (outcome.status != 0)
            throw TFailure(ToolFailure(tool, outcome.messages, outcome.status, facts_.width, facts_.height));
        EndIfSignalled();
        std::optional<TBytes> bytes = ReadFile(output);
        if (!bytes || bytes->empty() || bytes->size() >= best_.size()) return TVerdict::NotTaken;
        const std::optional<TPngFacts> facts = ReadPngFacts(*bytes);
        if (!facts || !KeepsColour(facts_, *facts)) return TVerdict::WrongChunks;
        if (!SamePixels(pixels_, *bytes)) return TVerdict::NotTaken;
        best_ = std::move(*bytes);
        bestFacts_ = *facts;
        bestPath_ = output;
        return TVerdict::Taken;
    }

    const TBytes& source_;
    const TPngPixels& pixels_;
    TPngFacts facts_;
    const TWorkFolder& work_;
    std::string oxipng_;
    TBytes best_;
    TPngFacts bestFacts_;
    std::string bestPath_;
    double budget_ = 0;
    int steps_ = 0;
};

// The picture's recompression in this process; nothing when its samples
// need 16 bits (the tools take it then).
std::optional<TBytes> RecompressHere(const TBytes& source, const TPngPixels& pixels, const TPngFacts& facts,
                                     int strength)
{
    std::optional<TBytes> encoded = EncodePng(pixels, facts, strength);
    if (!encoded) return std::nullopt;
    const std::optional<TPngFacts> encodedFacts = ReadPngFacts(*encoded);
    if (encoded->size() >= source.size() || !encodedFacts || !KeepsColour(facts, *encodedFacts) ||
        !SamePixels(pixels, *encoded))
        return source;
    return encoded;
}

int Fail(const std::string& reason)
{
    std::fprintf(stderr, "pngout.exe: %s\n", reason.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    GuardProcess();
    if (argc < 3) {
        std::fputs("usage: pngout.exe [/y] [/q] [/s0-/s3] SOURCE DESTINATION\n", stderr);
        return 2;
    }
    const std::string source = argv[argc - 2], destination = argv[argc - 1];
    int strength = 0;
    for (int i = 1; i < argc - 2; ++i)
        if (const std::string option = argv[i]; option.size() == 3 && option.rfind("/s", 0) == 0 &&
                                                option[2] >= '0' && option[2] <= '3')
            strength = option[2] - '0';

    const std::optional<TBytes> bytes = ReadFile(source);
    if (!bytes) return Fail("cannot read the source file");
    const std::optional<TPngFacts> facts = ReadPngFacts(*bytes);
    try {
        if (!facts) throw TFailure("not a PNG file");
        TBytes result = *bytes;
        if (!facts->animated) {
            // A picture too large to check is written as it is.
            std::string refusal;
            const std::optional<TPngPixels> pixels = DecodePng(*bytes, &refusal);
            if (!pixels && !refusal.empty()) throw TFailure("not a readable PNG: " + refusal);
            std::optional<TBytes> here;
            if (pixels && RawBytesOf(*facts) <= kOwnEncodingRawBytes)
                here = RecompressHere(*bytes, *pixels, *facts, strength);
            if (here) {
                result = std::move(*here);
            } else if (pixels) {
                TWorkFolder work;
                TRecompression recompression(*bytes, *pixels, *facts, work);
                const std::string oxipng = FindOxipng();
                recompression.Run(LevelOf(strength, !oxipng.empty()), oxipng);
                result = recompression.Best();
            }
        }
        EndIfSignalled();
        if (!WriteFile(destination, result)) return Fail("cannot write the destination file");
        return 0;
    } catch (const std::bad_alloc&) {
        WriteFile(destination, *bytes);
        return Fail("the pixel check ran out of memory on a picture of " + std::to_string(facts->width) + " x " +
                    std::to_string(facts->height) + " pixels");
    } catch (const std::exception& failure) {
        WriteFile(destination, *bytes);
        return Fail(failure.what());
    }
}
