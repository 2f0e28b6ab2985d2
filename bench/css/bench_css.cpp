// CSS minifier benchmark.
//   bench_css generate MEGABYTES OUT [KIND]        writes a real-looking style sheet of that size:
//       flat   short selectors, no at-rules (level 2 regroups it)
//       long   long selectors, no at-rules (level 2 finds regrouping would grow it)
//       mixed  like long, with @media blocks (level 2 keeps level 1 at once)
//   bench_css speed FILE                           in-memory throughput of levels 1 and 2
//   bench_css compress IN OUT LEVEL                one CompressCSS call (for peak memory)
//   bench_css each IN_DIR OUT_DIR LEVEL            one CompressCSS call per file of IN_DIR (the
//                                                  minifier's own share of a run over many files)

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
#include "compressors/text/CssMinifier.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::vector<std::string> kElements = {"a",   "ul",    "li", "p",     "div",   "span",   "h2",  "h3",
                                            "img", "table", "td", "input", "label", "button", "nav", "section"};
const std::vector<std::string> kBlocks = {"header",  "menu",    "card",    "product", "sidebar", "footer", "form",
                                          "gallery", "article", "comment", "banner",  "search",  "cart",   "modal",
                                          "tabs",    "profile", "news",    "toolbar", "pager",   "notice"};
const std::vector<std::string> kParts = {"title", "item", "link", "body",   "icon",  "price",   "image", "text",
                                         "label", "list", "meta", "button", "input", "caption", "row"};
const std::vector<std::string> kStates = {":hover",      ":focus",   ".active", ".disabled", ":first-child",
                                          ":last-child", "::before", "::after", ".is-open",  ""};

struct Property {
    const char* name;
    std::vector<std::string> values;
};

const std::vector<Property> kProperties = {
    {"color", {"#333", "#333333", "#fff", "#ffffff", "#0a6ebd", "#c0392b", "#777", "inherit", "#222"}},
    {"background", {"#fff", "#f7f7f5", "#1d2b36", "transparent", "none", "url(\"img/bg.png\") repeat-x 0 0"}},
    {"margin", {"0", "0 auto", "0 0 10px 0", "10px 0", "20px", "0 10px", "5px 0 0"}},
    {"padding", {"0", "4px 8px", "8px 12px", "10px", "12px 16px", "2px 6px", "20px 0"}},
    {"display", {"block", "inline-block", "none", "flex", "inline", "table"}},
    {"font-size", {"11px", "12px", "13px", "14px", "16px", "18px", "1.2em", ".85em"}},
    {"font-weight", {"bold", "normal", "400", "700"}},
    {"font-family",
     {"Georgia, \"Times New Roman\", serif", "\"Helvetica Neue\", Arial, sans-serif", "Menlo, Consolas, monospace"}},
    {"border", {"0", "1px solid #ddd", "1px solid #dddddd", "2px solid #0a6ebd", "none"}},
    {"border-radius", {"3px", "4px", "50%", "0"}},
    {"text-decoration", {"none", "underline"}},
    {"text-align", {"left", "center", "right"}},
    {"float", {"left", "right", "none"}},
    {"width", {"100%", "50%", "220px", "auto", "960px", "33.333%"}},
    {"height", {"auto", "100%", "40px", "16px"}},
    {"line-height", {"1.5", "1.2", "20px", "normal"}},
    {"position", {"relative", "absolute", "fixed", "static"}},
    {"cursor", {"pointer", "default"}},
    {"overflow", {"hidden", "auto"}},
    {"box-shadow", {"0 2px 6px rgba(0, 0, 0, 0.15)", "none"}},
    {"content", {"\"\"", "'; '", "\"\\201C\""}},
    {"list-style", {"none"}},
    {"opacity", {"0.5", "1", ".8"}},
};

class SheetWriter {
public:
    SheetWriter(std::uint32_t seed, const std::string& kind)
        : random_(seed), mixed_(kind == "mixed"), short_(kind == "flat")
    {
    }

    std::size_t Pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_); }

    std::string Compound()
    {
        switch (Pick(4)) {
        case 0: return kElements[Pick(kElements.size())];
        case 1: return "." + kBlocks[Pick(kBlocks.size())] + kStates[Pick(kStates.size())];
        default:
            return "." + kBlocks[Pick(kBlocks.size())] + "-" + kParts[Pick(kParts.size())] +
                   kStates[Pick(kStates.size())];
        }
    }

    std::string Selector()
    {
        std::string s = Compound();
        for (std::size_t parts = short_ ? Pick(2) * Pick(2) : Pick(3); parts > 0; --parts)
            s += (Pick(5) == 0 ? " > " : " ") + Compound();
        return s;
    }

    std::string Rule()
    {
        std::string r;
        if (Pick(12) == 0) r += "/* " + kBlocks[Pick(kBlocks.size())] + " " + kParts[Pick(kParts.size())] + " */\n";
        r += Selector();
        for (std::size_t more = Pick(4) == 0 ? 1 + Pick(2) : 0; more > 0; --more)
            r += Pick(2) ? ",\n" + Selector() : ", " + Selector();
        const bool tabs = Pick(5) == 0;
        r += " {\n";
        for (std::size_t n = 1 + Pick(6); n > 0; --n) {
            const Property& p = kProperties[Pick(kProperties.size())];
            r += tabs ? "\t" : "    ";
            r += p.name;
            r += ": ";
            r += p.values[Pick(p.values.size())];
            r += ";\n";
        }
        r += "}\n\n";
        return r;
    }

    std::string Sheet(std::size_t bytes)
    {
        std::string text = "/* Generated style sheet */\n\n";
        while (text.size() < bytes) {
            if (mixed_ && Pick(40) == 0) {
                text += "@media (max-width: 720px) {\n";
                for (std::size_t n = 1 + Pick(4); n > 0; --n) text += Rule();
                text += "}\n\n";
            } else {
                text += Rule();
            }
        }
        return text;
    }

private:
    std::mt19937 random_;
    bool mixed_;
    bool short_;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Best of repeated runs: at least three and at least one second in total.
template <typename Function>
double BestSeconds(Function&& run)
{
    double best = 1e30, total = 0;
    for (int runs = 0; runs < 3 || total < 1.0; ++runs) {
        const auto start = Clock::now();
        run();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        best = std::min(best, seconds);
        total += seconds;
    }
    return best;
}

void Speed(const std::string& path)
{
    const std::string text = ReadFile(path);
    const std::string name = path.substr(path.find_last_of('/') + 1);
    for (int level = 1; level <= 2; ++level) {
        std::size_t size = 0;
        const double seconds =
            BestSeconds([&] { size = (level == 1 ? MinifyCSSBasic(text) : MinifyCSSMaximum(text)).size(); });
        std::printf("%-28s %-22s %10zu -> %10zu bytes %9.1f MB/s %10.3f ms\n", name.c_str(),
                    level == 1 ? "quorvan level 1" : "quorvan level 2", text.size(), size, text.size() / 1e6 / seconds,
                    seconds * 1e3);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "generate" && argc >= 4) {
            const auto bytes = static_cast<std::size_t>(std::atof(argv[2]) * 1e6);
            const std::string kind = argc > 4 ? argv[4] : "flat";
            std::ofstream(argv[3], std::ios::binary) << SheetWriter(20261207, kind).Sheet(bytes);
            return 0;
        }
        if (mode == "speed" && argc == 3) {
            Speed(argv[2]);
            return 0;
        }
        if (mode == "compress" && argc == 5) {
            FileSize original = 0, optimized = 0;
            CompressCSS(argv[2], argv[3], static_cast<Level>(std::atoi(argv[4])), original, optimized);
            std::printf("%d -> %d bytes\n", original, optimized);
            return 0;
        }
        if (mode == "each" && argc == 5) {
            const auto level = static_cast<Level>(std::atoi(argv[4]));
            FileSize original = 0, optimized = 0;
            for (const auto& entry : std::filesystem::directory_iterator(argv[2]))
                CompressCSS(entry.path(), std::filesystem::path(argv[3]) / entry.path().filename(), level, original,
                            optimized);
            return 0;
        }
        std::cerr << "usage: bench_css generate MB OUT [flat|long|mixed] | speed FILE | compress IN OUT LEVEL"
                     " | each IN_DIR OUT_DIR LEVEL\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
}
