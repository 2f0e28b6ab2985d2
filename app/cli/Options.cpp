#include "app/cli/Options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>
#include <thread>
#include <tuple>

#include "app/cli/Shard.h"
#include "compressors/Optimizers.h"

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

// The rows with levels: each gives an option --NAME.
std::vector<FileKind> LevelRows()
{
    std::vector<FileKind> rows;
    for (const FileKind row : Optimizers())
        if (!row->entries.empty()) rows.push_back(row);
    return rows;
}

// A whole number from 0 to maximum, as the option's value.
std::uint64_t Count(const std::string& option, const std::string& value, std::uint64_t maximum,
                    std::uint64_t minimum = 0)
{
    std::uint64_t number = 0;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, number);
    if (value.empty() || error != std::errc() || stop != end || number > maximum || number < minimum)
        throw UsageError(option + ": invalid value \"" + value + "\" (a whole number from " + std::to_string(minimum) +
                         " to " + std::to_string(maximum) + ")");
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

// The option's name as typed ("--json=" gives "--json").
std::string OptionName(const std::string& argument)
{
    return argument.substr(0, argument.find('='));
}

// "--name=" becomes "--name" and "", so that the value is the empty one given
// rather than the next argument.
std::vector<std::string> ReversedForParse(const std::vector<std::string>& arguments)
{
    std::vector<std::string> split;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        optionsEnded = optionsEnded || argument == "--";
        if (!optionsEnded && argument.size() > 3 && argument.rfind("--", 0) == 0 && argument.back() == '=' &&
            argument.find('=') == argument.size() - 1) {
            split.push_back(argument.substr(0, argument.size() - 1));
            split.emplace_back();
        } else {
            split.push_back(argument);
        }
    }
    return {split.rbegin(), split.rend()};
}

// The spelling of an option last typed: `shortName` ("-o", also "-oDIR") or `longName`.
std::string Typed(const std::vector<std::string>& arguments, const std::string& shortName, const std::string& longName)
{
    std::string typed = longName;
    for (const std::string& argument : arguments) {
        if (argument == "--") break;
        if (OptionName(argument) == longName)
            typed = longName;
        else if (!shortName.empty() && argument.rfind(shortName, 0) == 0)
            typed = shortName;
    }
    return typed;
}

// The level options' lines of the help: the name, then the help's lines.
std::string LevelHelp()
{
    std::string text;
    for (const FileKind row : LevelRows()) {
        std::string head = "  --" + row->name + " N";
        head.resize(14, ' ');
        for (std::string_view rest = row->commandLineHelp; !rest.empty();) {
            const std::size_t end = std::min(rest.find('\n'), rest.size());
            text.append(head).append(rest.substr(0, end)) += '\n';
            head.assign(14, ' ');
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
    }
    return text;
}

// "-" and --stdin-name go together, standard output is never a folder, and
// a run on standard input or a merge takes none of the options it would not use.
template <typename Given>
void CheckStreamOptions(const CliOptions& options, const std::vector<std::string>& arguments, const Given& given)
{
    if (options.outputDir == "-")
        throw UsageError(Typed(arguments, "-o", "--output-dir") +
                         " -: the output folder cannot be standard output (to write one file there: "
                         "--stdin-name NAME - reads it from standard input)");
    const bool dash = std::find(options.paths.begin(), options.paths.end(), "-") != options.paths.end();
    if (given("--stdin-name")) {
        const std::string& name = options.stdinName;
        const std::string base = name.substr(name.rfind('/') + 1);
        if (base.empty() || base == "." || base == "..")
            throw UsageError("--stdin-name: \"" + name + "\" is not a file name");
        if (options.paths != std::vector<std::string>{"-"})
            throw UsageError("--stdin-name: the only PATH must be \"-\" (standard input)");
    } else if (dash && !options.mergeJson) {
        throw UsageError("\"-\" reads standard input: --stdin-name NAME gives its file name (NAME.css)");
    }
    if (options.mergeJson) {
        if (options.paths.empty()) throw UsageError("--merge-json: no JSON file given");
        if (options.jsonPath.empty()) throw UsageError("--merge-json: --json FILE names the merged file");
    }
    const char* what = given("--stdin-name") ? "--stdin-name" : options.mergeJson ? "--merge-json" : nullptr;
    if (!what) return;
    for (const char* other : {"--output-dir", "--report", "--incremental", "--dry-run", "--shard", "--flat",
                              "--stdin-name", "--merge-json", "--json"}) {
        if (!given(other) || std::string(other) == what) continue;
        if (std::string(other) == "--json" && options.mergeJson) continue;
        throw UsageError(std::string(what) + " does not go with " +
                         (std::string(other) == "--output-dir" ? Typed(arguments, "-o", "--output-dir") : other));
    }
}

}  // namespace

CliOptions ParseOptions(const std::vector<std::string>& arguments)
{
    CliOptions options;
    options.jobs = DefaultJobs();
    CLI::App app("Optimizes web-site files into a folder.", "quorvan-optimize");
    app.set_help_flag();
    app.allow_extras();  // the paths, and the unknown options named below
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_flag("-h,--help", options.help);
    app.add_flag("--version", options.version);
    app.add_option("-o,--output-dir", options.outputDir);
    app.add_option("--report", options.reportPath);
    app.add_option("--json", options.jsonPath);
    app.add_option("--plugin-dir", options.pluginDir);
    std::string timeout, memory, jobs;
    app.add_option("--tool-timeout", timeout);
    app.add_option("--tool-memory", memory);
    app.add_option("-j,--jobs", jobs);
    app.add_flag("-k,--keep-going", options.keepGoing);
    app.add_flag("-q,--quiet", options.quiet);
    app.add_flag("--incremental", options.incremental);
    app.add_flag("-p,--preserve-times", options.preserveTimes);
    app.add_flag("-n,--dry-run", options.dryRun);
    app.add_flag("--flat", options.flat);
    app.add_flag("--allow-overwrite", options.allowOverwrite);
    app.add_flag("--strict", options.strict);
    std::string shard;
    app.add_option("--stdin-name", options.stdinName);
    app.add_option("--shard", shard);
    app.add_flag("--merge-json", options.mergeJson);
    app.add_option("--config", options.configPath);
    app.add_option("--include", options.include)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--exclude", options.exclude)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_flag("--watch", options.watch);
    app.add_flag("--delete", options.deleteOutputs);
    std::map<FileKind, std::string> levels;
    for (const FileKind row : LevelRows()) {
        options.levels.Set(row->name, row->commandLineDefault);
        app.add_option("--" + row->name, levels[row]);
    }

    std::vector<std::string> reversed = ReversedForParse(arguments);
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch&) {  // only the last argument can lack its value
        throw UsageError(OptionName(arguments.back()) + ": missing value");
    } catch (const CLI::Error& error) {
        throw UsageError(error.what());
    }
    if (options.help || options.version) return options;

    // What CLI11 did not take: the paths, after the options' end ("--") also
    // names that start with "-"; before it, such a name is an unknown option.
    bool optionsEnded = false;
    for (const std::string& rest : app.remaining()) {
        if (!optionsEnded && rest == "--")
            optionsEnded = true;
        else if (!optionsEnded && rest.size() > 1 && rest[0] == '-')
            throw UsageError("unknown option \"" + OptionName(rest) + "\"");
        else
            options.paths.push_back(rest);
    }

    const auto given = [&](const char* option) { return app.count(option) > 0; };
    for (const CLI::Option* option : app.get_options())
        if (option->count() > 0) options.given.insert("--" + option->get_single_name());
    for (const auto& [shortName, longName, value, what] :
         {std::tuple{"-o", "--output-dir", &options.outputDir, "folder name"},
          {"", "--report", &options.reportPath, "file name"},
          {"", "--json", &options.jsonPath, "file name"},
          {"", "--plugin-dir", &options.pluginDir, "folder name"},
          {"", "--config", &options.configPath, "file name"}})
        if (given(longName) && value->empty())
            throw UsageError(Typed(arguments, shortName, longName) + ": empty " + what);
    if (given("--tool-timeout"))
        options.toolTimeoutSeconds = static_cast<int>(Count("--tool-timeout", timeout, kMaxTimeoutSeconds));
    if (given("--tool-memory"))
        options.toolMemoryBytes = Count("--tool-memory", memory, kMaxMemoryMegabytes) * kMegabyte;
    if (given("--jobs")) {
        const std::string typed = Typed(arguments, "-j", "--jobs");
        options.jobs = static_cast<int>(Count(typed, jobs, kMaxJobs, 1));
    }
    for (const FileKind row : LevelRows())
        if (app.count("--" + row->name) > 0) options.levels.Set(row->name, LevelValue(*row, levels[row]));
    if (given("--shard")) {
        const std::optional<TShard> parsed = ParseShard(shard);
        if (!parsed)
            throw UsageError("--shard: invalid value \"" + shard + "\" (K/N: shard K of N, 1 <= K <= N <= " +
                             std::to_string(kMaxShards) + ")");
        options.shardIndex = parsed->index;
        options.shardCount = parsed->count;
    }
    CheckStreamOptions(options, arguments, given);
    if (options.mergeJson || !options.stdinName.empty()) return options;
    if (!given("--output-dir")) throw UsageError("missing required option -o/--output-dir");
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
           "change what a visitor sees.\n" +
           LevelHelp() +
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
           "      --strict          a page whose scripts were kept as written (row\n"
           "                        \"partial: N scripts kept as written (REASON)\") makes\n"
           "                        the exit status 1\n"
           "  -q, --quiet           no progress line and no results table: one line at the\n"
           "                        end (files, sizes, ratio, the counts failed, kept,\n"
           "                        partial and reused when not zero, seconds)\n"
           "      --report FILE     also write the results as an HTML report\n"
           "      --json FILE       also write the results as JSON (one object per file and\n"
           "                        the totals; bytes of a name that are not UTF-8 appear as\n"
           "                        \\udc80-\\udcff, one per byte; also \"schema\": 1, the\n"
           "                        version, levels, wall and CPU seconds, the statuses)\n"
           "      --plugin-dir DIR  plug-in folder (default: plugins/ beside the program;\n"
           "                        installed: ../lib/quorvan-web-optimizer/plugins/)\n"
           "      --tool-timeout SECONDS\n"
           "                        time limit of each plug-in run (default 600; 0: none);\n"
           "                        the plug-in is killed and its file fails\n"
           "      --tool-memory MB  address-space limit of each plug-in (default: a quarter\n"
           "                        of the physical memory; 0: none)\n"
           "      --stdin-name NAME -\n"
           "                        read one file from standard input, optimize it as NAME\n"
           "                        (its extension picks the optimizer), write the result\n"
           "                        to standard output and its row to standard error; a\n"
           "                        failure writes nothing to standard output (-o, --json,\n"
           "                        --report, --incremental, --dry-run, --shard, --flat:\n"
           "                        not with it)\n"
           "      --shard K/N       optimize only shard K of N: the files whose path below\n"
           "                        the output folder (FNV-1a 64 of its bytes, modulo N)\n"
           "                        falls in it: N machines write one output tree together\n"
           "      --merge-json A.json B.json ... --json FILE\n"
           "                        join the JSON results of several runs (shards) into\n"
           "                        FILE: their files, totals and statuses; no optimizing\n"
           "      --config FILE     read the settings from FILE (default: quorvan.toml in\n"
           "                        the first folder PATH, if there is one; see below)\n"
           "      --include GLOB    take only the files whose path below their site (a\n"
           "                        file given directly: its name) matches a GLOB: * any\n"
           "                        characters but /, ** any folders, ? one character;\n"
           "                        repeatable\n"
           "      --exclude GLOB    leave out the files that match a GLOB (repeatable);\n"
           "                        files left out are not written at all\n"
           "      --watch           after the run (incremental), keep optimizing each file\n"
           "                        that changes below the folder PATHs, one line per file,\n"
           "                        until interrupted (Ctrl+C)\n"
           "      --delete          with --watch: a deleted source's output is deleted too\n"
           "                        (only one the manifest records, unchanged since)\n"
           "  -h, --help            show this help\n"
           "      --version         show the version\n"
           "\n"
           "A configuration file holds levels (by kind), jobs, include, exclude,\n"
           "incremental, keep-going, report and json; options given win over it. A\n"
           "quorvan.toml found in the site is not copied. Example:\n"
           "  # quorvan.toml\n"
           "  css = 2\n"
           "  html = 2\n"
           "  jobs = 4\n"
           "  include = [\"**/*.html\", \"assets/**\"]\n"
           "  exclude = [\"drafts/**\", \"**/*.psd\"]\n"
           "  incremental = true\n"
           "  keep-going = true\n"
           "  report = \"report.html\"\n"
           "  json = \"results.json\"\n"
           "\n"
           "While standard error is a terminal, one line there shows the progress.\n"
           "A page whose inline scripts the script plug-in could not take (missing, failed,\n"
           "timed out) keeps them as written: its row says \"partial: ...\", it is named on\n"
           "standard error and never reused by --incremental.\n"
           "Exit status: 0 all files optimized, 1 a file failed (each named on standard\n"
           "error as SOURCE: REASON), 2 usage error (also: two files for one destination,\n"
           "or a report, JSON file or manifest that is another output).\n";
}
