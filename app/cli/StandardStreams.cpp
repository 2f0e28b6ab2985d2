#include "app/cli/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "compressors/base/Files.h"
#include "compressors/base/RunControl.h"

namespace fs = std::filesystem;

namespace {

// A folder of its own below $TMPDIR (else /tmp), removed with everything in it.
class TPrivateFolder {
public:
    TPrivateFolder()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/quorvan-stdin-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder in \"" +
                                     fs::path(pattern).parent_path().string() + "\": " + std::strerror(errno));
        path_ = pattern;
    }
    ~TPrivateFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TPrivateFolder(const TPrivateFolder&) = delete;
    TPrivateFolder& operator=(const TPrivateFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Standard input to its end, into a new file at `path` (registered with the
// control, so a signal's cleanup removes it).
void SaveStandardInput(const std::string& path, TRunControl& control)
{
    const int fd = control.CreateTemporaryFile(
        path, [&path] { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600); });
    if (fd < 0) throw std::runtime_error("cannot create \"" + path + "\": " + std::strerror(errno));
    const FileDescriptor file(fd);
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error(std::string("cannot read standard input: ") + std::strerror(errno));
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t wrote = ::write(file.get(), buffer + done, static_cast<std::size_t>(got - done));
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote < 0) throw std::runtime_error("cannot write \"" + path + "\": " + std::strerror(errno));
            done += wrote;
        }
    }
}

std::string ReplacedAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

int RunStandardStreams(const CliOptions& options, std::ostream& out, std::ostream& err,
                       const std::shared_ptr<TRunControl>& control, const TFileRunner& run)
{
    const std::string& name = options.stdinName;
    std::ostringstream table, notes;
    int status = 1;
    std::string source;
    try {
        const TPrivateFolder folder;
        source = folder.Path() + "/" + name.substr(name.rfind('/') + 1);
        SaveStandardInput(source, *control);
        CliOptions fileOptions = options;
        fileOptions.stdinName.clear();
        fileOptions.paths = {source};
        fileOptions.outputDir = folder.Path() + "/out/";
        status = run(fileOptions, table, notes, name);
        control->RemoveTemporaryFile(source);
        if (status == 0) {
            const std::string result = ReadEntireFile(fileOptions.outputDir + fs::path(source).filename().string());
            out.write(result.data(), static_cast<std::streamsize>(result.size()));
            out.flush();
            if (!out) throw std::runtime_error("cannot write standard output");
        }
    } catch (const std::exception& error) {
        notes << "quorvan-optimize: " << error.what() << "\n";
        status = 1;
    }
    err << table.str() << (source.empty() ? notes.str() : ReplacedAll(notes.str(), source, name));
    return status;
}
