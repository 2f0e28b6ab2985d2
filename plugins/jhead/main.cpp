// jhead.exe [-dc] [-de] [-di] [-purejpg] FILE: optimizes a JPEG in place,
// losslessly, in this one process. The options take metadata sections out
// as jhead does (-dc comments, -de Exif, -di IPTC, -purejpg all but the ICC
// profile and the Adobe section; others are ignored); then libjpeg writes the
// coefficients again with Huffman tables made for them (progressive stays
// progressive), so the decoded pixels stay exactly the same. FILE is
// rewritten only with a complete result that is smaller, the smaller of the
// two. Exit status: 0 when FILE holds the result (or is unchanged because
// nothing was smaller); 1 with a one-line reason on stderr when FILE cannot
// be read, is no JPEG libjpeg reads, or cannot be rewritten (it is then
// untouched); 2 for a wrong command line.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "plugins/jhead/Failure.h"
#include "plugins/jhead/Layout.h"
#include "plugins/jhead/Metadata.h"
#include "plugins/jhead/Recode.h"
#include "plugins/jhead/Replace.h"

namespace {

using namespace jhead;

std::string ReadWhole(const std::string& path)
{
    const Failure failure("cannot read the file");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw failure;
    struct stat status {};
    std::string bytes;
    bool read = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (read) {
        bytes.resize(static_cast<std::size_t>(status.st_size));
        std::size_t got = 0;
        while (read && got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            read = n > 0 || (n < 0 && errno == EINTR);
            if (n > 0) got += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    if (!read) throw failure;
    return bytes;
}

// The file without the sections to remove, read by libjpeg in the source's
// colour space: as jhead writes it where that holds (its JFIF header would
// turn an RGB image's colours), else with only those sections taken out.
std::string Stripped(std::string_view source, const Layout& layout, const Removal& removal, int colourSpace)
{
    std::string stripped = Strip(source, layout, removal, true);
    if (stripped != source && ColourSpaceOf(stripped) != colourSpace)
        stripped = Strip(source, layout, removal, false);
    return stripped;
}

void Optimize(const std::string& path, const Removal& removal)
{
    const std::string source = ReadWhole(path);
    const Layout layout = ReadLayout(source);
    Recoder recoder(source);
    std::string best = Stripped(source, layout, removal, recoder.ColourSpace());
    const Layout kept = ReadLayout(best);
    if (std::optional<std::string> recoded = recoder.Write(kept.segments); recoded && recoded->size() < best.size())
        best = std::move(*recoded);
    if (best.size() < source.size()) ReplaceFile(path, best);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: jhead.exe [-dc] [-de] [-di] [-purejpg] FILE\n", stderr);
        return 2;
    }
    Removal removal;
    for (int i = 1; i < argc - 1; ++i) {
        const std::string_view option = argv[i];
        removal.comments |= option == "-dc";
        removal.exif |= option == "-de";
        removal.iptc |= option == "-di";
        removal.pure |= option == "-purejpg";
    }
    try {
        Optimize(argv[argc - 1], removal);
    } catch (const std::bad_alloc&) {
        std::fputs("jhead.exe: out of memory\n", stderr);
        return 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "jhead.exe: %s\n", failure.what());
        return 1;
    }
    return 0;
}
