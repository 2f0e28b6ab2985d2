#include "app/cli/Options.h"

#include <algorithm>
#include <optional>
#include <thread>


namespace {

// The value of a row's level option (--css ...).
Level LevelValue(const TOptimizerRow& row, const std::string& value)
{
    std::string list;
    for (const int level : RowLevels(row)) {
        if (value == std::to_string(level)) return static_cast<Level>(level);
        list += (list.empty() ? "" : ", ") + std::to_string(level);
    }
    throw UsageError("--" + row.name + ": invalid level \"" + value + "\" (allowed: " + list + ")");
}

// A whole number from 0 to maximum, as the option's value.
std::uint64_t Count(const std::string& option, const std::string& value, std::uint64_t maximum)
{
    std::uint64_t number = 0;
    bool valid = !value.empty() && value.size() <= 12;
    for (const char c : value) {
        valid = valid && c >= '0' && c <= '9';
        if (valid) number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (!valid || number > maximum)
        throw UsageError(option + ": invalid value \"" + value + "\" (a whole number from 0 to " +
                         std::to_string(maximum) + ")");
    return number;
}

constexpr std::uint64_t kMaxTimeoutSeconds = 86400 * 365;
constexpr std::uint64_t kMaxMemoryMegabytes = std::uint64_t(1) << 32;
constexpr std::uint64_t kMegabyte = 1024 * 1024;
constexpr std::uint64_t kMaxJobs = 1024;

int DefaultJobs()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, kMaxJobs));
}

// Splits "--name=value"; a short "-oDIR" is handled by the caller.
struct Argument {
    std::string name;
    std::optional<std::string> inlineValue;
};

Argument SplitArgument(const std::string& text)
{
    const auto equals = text.find('=');
    if (text.rfind("--", 0) == 0 && equals != std::string::npos)
        return {text.substr(0, equals), text.substr(equals + 1)};
    for (const char* option : {"-o", "-j"})
        if (text.size() > 2 && text.rfind(option, 0) == 0) return {option, text.substr(2)};
    return {text, std::nullopt};
}

}  // namespace

CliOptions ParseOptions(const std::vector<std::string>& arguments)
{
    CliOptions options;
    options.jobs = DefaultJobs();
    for (const FileKind row : Optimizers()) options.levels.Set(row->name, row->commandLineDefault);
    bool outputGiven = false;
    bool optionsEnded = false;

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& text = arguments[i];
        if (optionsEnded || text == "-" || text.empty() || text[0] != '-') {
            options.paths.push_back(text);
            continue;
        }
        if (text == "--") {
            optionsEnded = true;
            continue;
        }
        const Argument argument = SplitArgument(text);
        if (argument.name == "-h" || argument.name == "--help") {
            options.help = true;
            return options;
        }
        if (argument.name == "--version") {
            options.version = true;
            return options;
        }
        auto value = [&]() -> std::string {
            if (argument.inlineValue) return *argument.inlineValue;
            if (i + 1 >= arguments.size()) throw UsageError(argument.name + ": missing value");
            return arguments[++i];
        };
        if (argument.name == "-o" || argument.name == "--output-dir") {
            options.outputDir = value();
            if (options.outputDir.empty()) throw UsageError(argument.name + ": empty folder name");
            outputGiven = true;
        } else if (argument.name == "--report") {
            options.reportPath = value();
            if (options.reportPath.empty()) throw UsageError("--report: empty file name");
        } else if (argument.name == "--tool-timeout") {
            options.toolTimeoutSeconds = static_cast<int>(Count(argument.name, value(), kMaxTimeoutSeconds));
        } else if (argument.name == "--tool-memory") {
            options.toolMemoryBytes = Count(argument.name, value(), kMaxMemoryMegabytes) * kMegabyte;
        } else if (argument.name == "-j" || argument.name == "--jobs") {
            options.jobs = static_cast<int>(Count(argument.name, value(), kMaxJobs));
            if (options.jobs == 0) throw UsageError(argument.name + ": at least one file at a time");
        } else if (argument.name == "-k" || argument.name == "--keep-going") {
            options.keepGoing = true;
        } else if (argument.name == "-q" || argument.name == "--quiet") {
            options.quiet = true;
        } else if (argument.name == "--incremental") {
            options.incremental = true;
        } else if (argument.name == "-p" || argument.name == "--preserve-times") {
            options.preserveTimes = true;
        } else if (argument.name == "-n" || argument.name == "--dry-run") {
            options.dryRun = true;
        } else if (argument.name == "--flat") {
            options.flat = true;
        } else if (argument.name == "--allow-overwrite") {
            options.allowOverwrite = true;
        } else if (argument.name == "--json") {
            options.jsonPath = value();
            if (options.jsonPath.empty()) throw UsageError("--json: empty file name");
        } else if (argument.name == "--plugin-dir") {
            options.pluginDir = value();
            if (options.pluginDir.empty()) throw UsageError("--plugin-dir: empty folder name");
        } else {
            const FileKind row =
                argument.name.rfind("--", 0) == 0 ? OptimizerNamed(argument.name.substr(2)) : nullptr;
            if (!row || row->entries.empty()) throw UsageError("unknown option \"" + argument.name + "\"");
            options.levels.Set(row->name, LevelValue(*row, value()));
        }
    }
    if (!outputGiven) throw UsageError("missing required option -o/--output-dir");
    if (options.paths.empty()) throw UsageError("no PATH given");
    return options;
}

std::string UsageText()
{
    return "Usage: quorvan-optimize [OPTIONS] PATH...\n"
           "Optimizes web-site files into a folder and reports the savings.\n"
           "A PATH that is a folder is a site: every file below it is written at the same\n"
           "path below the output folder (folders created), the web files (.css .js .htm\n"
           ".html .gif .jpg .jpeg .jpe .png) optimized, all others copied unchanged.\n"
           ".git .svn .hg .DS_Store Thumbs.db are skipped, other names starting with \".\"\n"
           "(.htaccess) copied; links to files are followed, links to folders are not.\n"
           "A PATH that is a file goes directly into the output folder.\n"
           "\n"
           "Levels: 0 copies the files unchanged, * marks the default. A lossy level may\n"
           "change what a visitor sees.\n"
           "  --css N     1 drops comments and spaces (strings, url() and /*! */ stay);\n"
           "              2* also regroups the rules where no rule in between sets the\n"
           "              same property. Lossy at an edge: an old browser that rejects\n"
           "              one selector of a grouped list (:has()) drops the whole list\n"
           "  --html N    1 drops comments and spaces, rewrites tags, never text; 2* also\n"
           "              minifies inline styles and scripts at the --css and --js levels.\n"
           "              Both lossy: white space styled as written only by a sheet\n"
           "              from another site, the site's root or @import still shrinks\n"
           "  --js N      1 drops comments, 2 also whitespace, 3* also line breaks, 4 also\n"
           "              shortens local names\n"
           "  --png N     1 fast, 2 normal, 3 slow, 4* extreme: same pixels and colours\n"
           "  --gif N     1* same pictures; 2 lossy: colours move to a fixed\n"
           "              256-colour palette; frames, delays, loop and transparency stay\n"
           "  --jpeg N    same picture at every level. Drops 1 the comment, 2 Exif,\n"
           "              3 IPTC, 12 comment+Exif, 13 comment+IPTC, 23 Exif+IPTC, 4* all\n"
           "              but the image; the Exif orientation (alone in a minimal Exif\n"
           "              section) and the colour profile stay\n"
           "Every image output is decoded with its source (giflib, libpng, libjpeg-turbo)\n"
           "and compared first: one that differs gets the source's bytes and its row says\n"
           "\"kept: output did not match\" (JSON status \"kept\"; counted on standard error).\n"
           "\n"
           "Options:\n"
           "  -o, --output-dir DIR  folder for the results (required; created when missing)\n"
           "  -j, --jobs N          optimize up to N files at once (default: the CPU cores);\n"
           "                        the results do not depend on N\n"
           "  -k, --keep-going      a file that fails does not end the run: its row says\n"
           "                        \"failed: REASON; copied unchanged\" (its source is\n"
           "                        copied where it can be), the others are written, exit\n"
           "                        status 1\n"
           "      --flat            folders give only their web files, all directly into\n"
           "                        the output folder (sorted by path)\n"
           "      --allow-overwrite let a later file replace an earlier one with the same\n"
           "                        destination (else such a run is refused)\n"
           "      --incremental     keep a manifest (.quorvan-manifest.json) in the output\n"
           "                        folder and optimize only what changed since: a file\n"
           "                        whose source (size, time, content), kind, levels and\n"
           "                        program version match its record and whose output is\n"
           "                        still as written is reused (JSON status \"reused\");\n"
           "                        touching a source makes it optimized again\n"
           "  -p, --preserve-times  give each destination its source's modification time\n"
           "  -n, --dry-run         print what the run would do (SOURCE -> DESTINATION:\n"
           "                        optimize, copy, reuse or refused) and write nothing\n"
           "  -q, --quiet           no progress line and no results table\n"
           "      --report FILE     also write the results as an HTML report\n"
           "      --json FILE       also write the results as JSON (one object per file and\n"
           "                        the totals; bytes of a name that are not UTF-8 appear as\n"
           "                        \\udc80-\\udcff, one per byte)\n"
           "      --plugin-dir DIR  plug-in folder (default: plugins/ beside the program;\n"
           "                        installed: ../lib/quorvan-web-optimizer/plugins/)\n"
           "      --tool-timeout SECONDS\n"
           "                        time limit of each plug-in run (default 600; 0: none);\n"
           "                        the plug-in is killed and its file fails\n"
           "      --tool-memory MB  address-space limit of each plug-in (default: a quarter\n"
           "                        of the physical memory; 0: none)\n"
           "  -h, --help            show this help\n"
           "      --version         show the version\n"
           "\n"
           "While standard error is a terminal, one line there shows the progress.\n"
           "Exit status: 0 all files optimized, 1 a file failed (each named on standard\n"
           "error as SOURCE: REASON), 2 usage error (also: two files for one destination).\n";
}
