// HTML minifier benchmark.
//   bench_html generate MEGABYTES OUT      writes a real-looking page of that size
//   bench_html adversarial KIND MB OUT     tags without blanks, unclosed "<style",
//                                          comment runs, "</" runs, "<A<A..." ranges,
//                                          short raw-text elements
//   bench_html speed FILE HTML JS CSS      in-memory throughput of MinifyHTML
//   bench_html compress IN OUT HTML JS CSS one CompressHTML call (for peak memory)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "compressors/Compressors.h"
#include "compressors/Optimizers.h"
#include "compressors/text/HtmlMinifier.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::vector<std::string> kWords = {
    "garden",    "river",   "model",    "bread", "the",    "of",        "and",    "order",   "delivery", "spring",
    "catalogue", "a",       "for",      "with",  "price",  "table",     "notice", "morning", "team",     "report",
    "Quarterly", "Results", "measured", "flow",  "update", "customers", "we",     "our",     "is",       "in"};

class PageWriter {
public:
    explicit PageWriter(std::uint32_t seed) : random_(seed) {}

    std::string Words(int count)
    {
        std::string text;
        for (int i = 0; i < count; ++i) {
            if (i > 0) text += Pick(8) == 0 ? "  " : " ";
            text += kWords[Pick(kWords.size())];
        }
        return text;
    }

    // One section of a page: headings, paragraphs, a table, a list, a form.
    std::string Section()
    {
        const std::string indent = Pick(3) == 0 ? "\t\t" : "    ";
        const std::string nl = Pick(4) == 0 ? "\r\n" : "\n";
        std::string s;
        s += indent + "<!-- section " + std::to_string(counter_++) + " -->" + nl;
        s += indent + "<DIV CLASS=\"section\" ID=\"s" + std::to_string(counter_) + "\">" + nl;
        s += indent + "  <H2>" + Words(4) + "</H2>" + nl;
        for (int p = 0, paragraphs = 1 + static_cast<int>(Pick(3)); p < paragraphs; ++p) {
            s += indent + "  <p class=\"text\">" + nl + indent + "    " + Words(12) + " <a href=\"/page/" +
                 std::to_string(Pick(1000)) + ".html\" title=\"" + Words(2) + "\">" + Words(2) + "</a> " + Words(10) +
                 nl + indent + "    <b>" + Words(3) + "</b>, \"" + std::to_string(Pick(100)) + "\" " + Words(8) + "." +
                 nl + indent + "  </p>" + nl;
        }
        s += indent + "  <TABLE WIDTH=\"100%\" BORDER=\"0\" CELLPADDING=\"4\">" + nl;
        for (int r = 0; r < 4; ++r) {
            s += indent + "    <TR>" + nl;
            for (int c = 0; c < 3; ++c)
                s += indent + "      <TD ALIGN=\"right\">" + Words(2) + " " + std::to_string(Pick(999)) + "</td>" + nl;
            s += indent + "    </TR>" + nl;
        }
        s += indent + "  </TABLE>" + nl;
        s += indent + "  <ul>" + nl;
        for (int i = 0; i < 3; ++i)
            s += indent + "    <li><a href=\"#item" + std::to_string(i) + "\">" + Words(3) + "</a></li>" + nl;
        s += indent + "  </ul>" + nl;
        s += indent + "  <img src=\"img/" + std::to_string(Pick(50)) + ".png\" width=\"" +
             std::to_string(100 + Pick(500)) + "\" height=\"" + std::to_string(50 + Pick(300)) + "\" alt=\"" +
             Words(3) + "\">" + nl;
        s += indent + "</DIV>" + nl + nl;
        return s;
    }

    std::string Page(std::size_t bytes)
    {
        std::string page = "<!DOCTYPE html>\n<HTML lang=\"en\">\n<HEAD>\n  <meta charset=\"utf-8\">\n"
                           "  <title>Generated page</title>\n  <style>\n    body { margin: 0; padding: 0 }\n"
                           "    .section { margin: 1em 0; }\n    td { color: #333; }\n  </style>\n</HEAD>\n<BODY>\n";
        while (page.size() < bytes) page += Section();
        page += "</BODY>\n</HTML>\n";
        return page;
    }

private:
    std::size_t Pick(std::size_t range) { return std::uniform_int_distribution<std::size_t>(0, range - 1)(random_); }

    std::mt19937 random_;
    int counter_ = 0;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

HtmlLevels LevelsFrom(char** argv)
{
    return PageLevels(static_cast<Level>(std::atoi(argv[0])), static_cast<Level>(std::atoi(argv[1])),
                      static_cast<Level>(std::atoi(argv[2])));
}

int Generate(double megabytes, const std::string& out)
{
    PageWriter writer(12345);
    const std::string page = writer.Page(static_cast<std::size_t>(megabytes * 1e6));
    std::ofstream(out, std::ios::binary) << page;
    return 0;
}

// Pages on which look-ahead searches turn quadratic unless they are cached.
int Adversarial(const std::string& kind, double megabytes, const std::string& out)
{
    std::string unit;
    if (kind == "tags")
        unit = "<a><b>";
    else if (kind == "style")
        unit = "<style>";
    else if (kind == "comments")
        unit = "<!--c-->";
    else if (kind == "endtags")
        unit = "</";
    else if (kind == "lowercase")
        unit = "<A";
    else if (kind == "rawtext")
        unit = "<TextArea a = 1>x = \"1\"</textarea ";
    else
        throw std::runtime_error("unknown kind " + kind);
    const auto size = static_cast<std::size_t>(megabytes * 1e6);
    std::string page;
    page.reserve(size + unit.size() + 2);
    while (page.size() < size) page += unit;
    page += "> ";
    std::ofstream(out, std::ios::binary) << page;
    return 0;
}

// Repeats the minification for at least a second (and at least twice) and
// reports the best run's throughput.
int Speed(const std::string& file, const HtmlLevels& levels)
{
    const std::string page = ReadFile(file);
    const std::string scratch = (std::filesystem::temp_directory_path() / "qwo-bench-html-XXXXXX").string();
    std::string directory = scratch;
    if (::mkdtemp(directory.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    directory += "/";
    double best = 1e300;
    double total = 0;
    int runs = 0;
    std::size_t outputSize = 0;
    while (runs < 2 || total < 1.0) {
        std::string working = page;
        const auto start = Clock::now();
        const std::string output = MinifyHTML(working, levels, directory, DefaultRunEnvironment());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        outputSize = output.size();
        best = std::min(best, seconds);
        total += seconds;
        ++runs;
    }
    std::filesystem::remove_all(directory);
    const double mb = static_cast<double>(page.size()) / 1e6;
    std::printf("%-28s html=%d js=%d css=%d  %9zu -> %9zu bytes  %8.1f MB/s  %9.3f ms/page\n",
                std::filesystem::path(file).filename().c_str(), levels.html, levels.js, levels.css, page.size(),
                outputSize, mb / best, best * 1e3);
    return 0;
}

int Compress(const std::string& in, const std::string& out, const HtmlLevels& levels)
{
    FileSize original = 0;
    FileSize optimized = 0;
    const auto start = Clock::now();
    CompressHTML(in, out, levels.html, levels.js, levels.css, original, optimized);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("CompressHTML %d -> %d bytes in %.3f s (%.1f MB/s, file to file)\n", original, optimized, seconds,
                original / 1e6 / seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "generate" && argc == 4) return Generate(std::atof(argv[2]), argv[3]);
        if (mode == "adversarial" && argc == 5) return Adversarial(argv[2], std::atof(argv[3]), argv[4]);
        if (mode == "speed" && argc == 6) return Speed(argv[2], LevelsFrom(argv + 3));
        if (mode == "compress" && argc == 7) return Compress(argv[2], argv[3], LevelsFrom(argv + 4));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_html: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: bench_html generate MB OUT | adversarial KIND MB OUT | speed FILE HTML JS CSS |"
                         " compress IN OUT HTML JS CSS\n");
    return 2;
}
