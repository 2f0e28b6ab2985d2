#include "plugins/cscript-direct.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/Utf8.h"
#include "compressors/base/FileDescriptor.h"

namespace {

struct Job {
    int level = 3;
    const char* destination = nullptr;
    const char* source = nullptr;
};

// ESC.wsf's command line: "-l LEVEL", "-ow DESTINATION", the last other word
// the source. Only the levels 2 to 4, written as one digit, are done here.
std::optional<Job> ParseJob(char** arguments)
{
    Job job;
    const char* level = nullptr;
    for (char** argument = arguments; *argument; ++argument) {
        if (std::strcmp(*argument, "-l") == 0 && argument[1]) level = *++argument;
        else if (std::strcmp(*argument, "-ow") == 0 && argument[1]) job.destination = *++argument;
        else job.source = *argument;
    }
    if (!job.destination || !job.source || !level || std::strlen(level) != 1 || level[0] < '2' || level[0] > '4')
        return std::nullopt;
    job.level = level[0] - '0';
    return job;
}

bool ReadWhole(int fd, std::string& bytes)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

bool WriteWhole(int fd, std::string_view bytes)
{
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t done = ::write(fd, bytes.data() + at, bytes.size() - at);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        at += static_cast<std::size_t>(done);
    }
    return true;
}

std::optional<std::string> ReadSource(const char* path)
{
    FileDescriptor file(::open(path, O_RDONLY | O_CLOEXEC));
    struct stat status {};
    std::string bytes;
    if (!file.valid() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || !ReadWhole(file.get(), bytes))
        return std::nullopt;
    return bytes;
}

// Conditional compilation (its comments are code) is terser's, in ESC.wsf.
bool NamesConditionalCompilation(std::string_view text)
{
    constexpr std::string_view word = "@cc_on";
    for (std::size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', at + 1)) {
        if (text.size() - at < word.size()) return false;
        bool same = true;
        for (std::size_t i = 1; i < word.size() && same; ++i)
            same = (text[at + i] | 0x20) == word[i] || (word[i] == '_' && text[at + i] == '_');
        if (same) return true;
    }
    return false;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0, length = 0; i < text.size(); i += length)
        if ((length = Utf8SequenceLength(text, i)) == 0) return false;
    return true;
}

// A text that is not UTF-8 is read as Latin-1, as ESC.wsf reads it.
std::string Latin1ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return out;
}

// Back to one byte per UTF-16 unit, each unit's low byte (as Node.js writes
// a string as Latin-1); `text` is esbuild's output, valid UTF-8.
std::string Utf8ToLatin1(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0, length = 0; i < text.size(); i += length) {
        length = std::max<std::size_t>(Utf8SequenceLength(text, i), 1);
        char32_t point = Utf8CodePoint(text, i, length);
        if (point < 0x10000) {
            out.push_back(static_cast<char>(point & 0xFF));
        } else {
            point -= 0x10000;
            out.push_back(static_cast<char>((0xD800 | (point >> 10)) & 0xFF));
            out.push_back(static_cast<char>((0xDC00 | (point & 0x3FF)) & 0xFF));
        }
    }
    return out;
}

// The length of the white space character (as a regular expression's \s
// knows it) starting at `at` in UTF-8 text; 0 when there is none.
std::size_t SpaceAt(std::string_view text, std::size_t at)
{
    static constexpr std::string_view wide[] = {"\u00A0", "\u1680", "\u2028", "\u2029", "\u202F",
                                                "\u205F", "\u3000", "\uFEFF"};
    if (std::strchr("\t\n\v\f\r ", text[at]) && text[at] != '\0') return 1;
    const std::string_view rest = text.substr(at);
    for (const std::string_view space : wide)
        if (rest.starts_with(space)) return space.size();
    if (rest.size() >= 3 && rest.starts_with("\xE2\x80") && static_cast<unsigned char>(rest[2]) <= 0x8A) return 3;
    return 0;
}

bool CatchWithoutBinding(std::string_view text)
{
    for (std::size_t at = text.find("catch"); at != std::string_view::npos; at = text.find("catch", at + 1)) {
        std::size_t next = at + 5;
        while (next < text.size())
            if (const std::size_t length = SpaceAt(text, next); length > 0) next += length;
            else break;
        if (next < text.size() && text[next] == '{') return true;
    }
    return false;
}

std::vector<std::string> EsbuildOptions(int level, std::string_view text)
{
    std::vector<std::string> options = {"--charset=utf8", "--legal-comments=inline", "--log-level=error",
                                        "--color=false"};
    if (level == 2) options.insert(options.end(), {"--minify-whitespace", "--line-limit=80"});
    if (level == 3) options.emplace_back("--minify-whitespace");
    if (level == 4) {
        // Syntax that the rewriting may bring in, allowed only where the script already has it.
        const bool logical = text.find("||=") != std::string_view::npos ||
                             text.find("&&=") != std::string_view::npos || text.find("?\?=") != std::string_view::npos;
        const std::pair<const char*, bool> features[] = {
            {"nullish-coalescing", text.find("??") != std::string_view::npos},
            {"optional-chain", text.find("?.") != std::string_view::npos},
            {"logical-assignment", logical},
            {"optional-catch-binding", CatchWithoutBinding(text)},
        };
        options.emplace_back("--minify");
        for (const auto& [feature, allowed] : features)
            options.push_back(std::string("--supported:") + feature + (allowed ? "=true" : "=false"));
    }
    return options;
}

FileDescriptor MemoryFile(const char* name)
{
    return FileDescriptor(::memfd_create(name, MFD_CLOEXEC));
}

struct Outcome {
    bool succeeded = false;
    std::string output;
    std::string failure;  // the reason, in one line
};

// esbuild's first error, "syntax error at line L, column C: TEXT", from what it logged.
std::string DescribeErrors(const std::string& log)
{
    const std::size_t tag = log.find("[ERROR] ");
    if (tag == std::string::npos) return {};
    const std::size_t textStart = tag + 8;
    const std::string text = log.substr(textStart, log.find('\n', textStart) - textStart);
    const std::size_t place = log.find("<stdin>:", textStart);
    unsigned line = 0;
    unsigned column = 0;
    if (place != std::string::npos && std::sscanf(log.c_str() + place, "<stdin>:%u:%u:", &line, &column) == 2)
        return "syntax error at line " + std::to_string(line) + ", column " + std::to_string(column + 1) + ": " + text;
    return text;
}

// Runs esbuild over `text` (reading it from standard input, as its CLI
// transforms); its output without the line break it ends with.
Outcome RunEsbuild(const std::string& binary, int level, const std::string& text)
{
    Outcome outcome;
    FileDescriptor input = MemoryFile("script");
    FileDescriptor output = MemoryFile("minified");
    FileDescriptor log = MemoryFile("log");
    if (!input.valid() || !output.valid() || !log.valid() || !WriteWhole(input.get(), text) ||
        ::lseek(input.get(), 0, SEEK_SET) != 0) {
        outcome.failure = std::string("cannot pass the script on (") + std::strerror(errno) + ")";
        return outcome;
    }
    std::vector<std::string> arguments = EsbuildOptions(level, text);
    arguments.insert(arguments.begin(), binary);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        // Goes with us, whatever ends us; it stays in our process group, which the program kills on a time-out.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) ::_exit(127);
        if (::dup2(input.get(), 0) < 0 || ::dup2(output.get(), 1) < 0 || ::dup2(log.get(), 2) < 0) ::_exit(127);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (child < 0) {
        outcome.failure = std::string("cannot start esbuild (") + std::strerror(errno) + ")";
        return outcome;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    ::lseek(output.get(), 0, SEEK_SET);
    ::lseek(log.get(), 0, SEEK_SET);
    std::string logged;
    ReadWhole(log.get(), logged);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        outcome.succeeded = ReadWhole(output.get(), outcome.output);
        if (!outcome.succeeded) outcome.failure = "cannot read its output";
        if (outcome.output.ends_with('\n')) outcome.output.pop_back();
        return outcome;
    }
    outcome.failure = DescribeErrors(logged);
    if (outcome.failure.empty())
        outcome.failure = WIFSIGNALED(status) ? "ended by signal " + std::to_string(WTERMSIG(status))
                          : WEXITSTATUS(status) == 127 ? std::string("could not be started")
                                                       : "ended with status " + std::to_string(WEXITSTATUS(status));
    return outcome;
}

std::string ErrorName(int error)
{
    const char* name = ::strerrorname_np(error);
    return name ? name : std::strerror(error);
}

// The destination gets `bytes`: through `opened` when it was there before the
// work, else as a new file. On failure it is removed; returns errno then, 0 when written.
int WriteDestination(FileDescriptor opened, const char* path, std::string_view bytes)
{
    int error = 0;
    if (!opened.valid()) opened = FileDescriptor(::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!opened.valid() || ::ftruncate(opened.get(), 0) != 0 || !WriteWhole(opened.get(), bytes)) error = errno;
    if (opened.Close() != 0 && error == 0) error = errno;
    if (error != 0) ::unlink(path);
    return error;
}

void Say(const std::string& line)
{
    WriteWhole(STDERR_FILENO, "ESC.wsf: " + line + "\n");
}

}  // namespace

std::optional<int> RunScriptPluginDirectly(char** scriptAndArguments)
{
    const std::string script = scriptAndArguments[0];
    const std::size_t slash = script.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : script.substr(0, slash + 1);
    if (script.substr(slash + 1) != "ESC.wsf") return std::nullopt;
    const std::string binary = folder + "esbuild";
    if (::access(binary.c_str(), X_OK) != 0 || ::access((folder + "esbuild-api.js").c_str(), R_OK) != 0)
        return std::nullopt;
    const auto job = ParseJob(scriptAndArguments + 1);
    if (!job) return std::nullopt;
    const auto source = ReadSource(job->source);
    if (!source || NamesConditionalCompilation(*source)) return std::nullopt;

    // An existing destination (the caller's temporary file) is opened before
    // the work: should the caller end and remove it meanwhile, the result
    // goes to the removed file instead of bringing the name back.
    FileDescriptor destination(::open(job->destination, O_WRONLY | O_CLOEXEC));
    const bool utf8 = IsUtf8(*source);
    Outcome outcome = RunEsbuild(binary, job->level, utf8 ? *source : Latin1ToUtf8(*source));
    if (outcome.succeeded && !utf8) outcome.output = Utf8ToLatin1(outcome.output);
    const bool smaller = outcome.succeeded && outcome.output.size() < source->size();
    if (const int error = WriteDestination(std::move(destination), job->destination, smaller ? outcome.output : *source)) {
        Say("cannot write the destination file (" + ErrorName(error) + ")");
        return 1;
    }
    if (!outcome.succeeded) {
        Say("esbuild failed: " + outcome.failure);
        return 1;
    }
    return 0;
}
