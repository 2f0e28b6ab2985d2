#include "app/cli/ConfigFile.h"

#define TOML_EXCEPTIONS 1
#include <toml++/toml.h>

#include <filesystem>

#include "compressors/Optimizers.h"
#include "compressors/base/Files.h"

namespace fs = std::filesystem;

namespace {

class TConfigReader {
public:
    TConfigReader(std::string path, CliOptions& options) : path_(std::move(path)), options_(options) {}

    void Read()
    {
        std::string text;
        try {
            text = ReadEntireFile(path_);
        } catch (const std::exception&) {
            throw UsageError(path_ + ": cannot read the configuration file");
        }
        toml::table table;
        try {
            table = toml::parse(text, path_);
        } catch (const toml::parse_error& error) {
            throw UsageError(path_ + ":" + std::to_string(error.source().begin.line) + ": " +
                             std::string(error.description()));
        }
        for (const auto& [key, node] : table) Apply(std::string(key.str()), node);
    }

private:
    [[noreturn]] void Fail(const toml::node& node, const std::string& reason) const
    {
        throw UsageError(path_ + ":" + std::to_string(node.source().begin.line) + ": " + reason);
    }

    bool Given(const std::string& option) const { return options_.given.count(option) > 0; }

    template <typename T>
    T Value(const std::string& key, const toml::node& node, const char* what) const
    {
        const auto value = node.value_exact<T>();
        if (!value) Fail(node, "\"" + key + "\" must be " + what);
        return *value;
    }

    std::vector<std::string> Globs(const std::string& key, const toml::node& node) const
    {
        const toml::array* array = node.as_array();
        if (!array) Fail(node, "\"" + key + "\" must be an array of strings");
        std::vector<std::string> globs;
        for (const toml::node& item : *array) globs.push_back(Value<std::string>(key, item, "an array of strings"));
        return globs;
    }

    // As on the command line: relative to the current folder.
    std::string Path(const std::string& key, const toml::node& node) const
    {
        const std::string value = Value<std::string>(key, node, "a string");
        if (value.empty()) Fail(node, "\"" + key + "\" must not be empty");
        return value;
    }

    void Apply(const std::string& key, const toml::node& node)
    {
        if (key == "jobs") {
            const std::int64_t jobs = Value<std::int64_t>(key, node, "a whole number");
            if (jobs < 1 || jobs > 1024) Fail(node, "\"jobs\" must be from 1 to 1024");
            if (!Given("--jobs")) options_.jobs = static_cast<int>(jobs);
        } else if (key == "include" || key == "exclude") {
            std::vector<std::string> globs = Globs(key, node);
            std::vector<std::string>& list = key == "include" ? options_.include : options_.exclude;
            if (!Given("--" + key)) list.insert(list.begin(), globs.begin(), globs.end());
        } else if (key == "incremental" || key == "keep-going") {
            const bool value = Value<bool>(key, node, "true or false");
            if (!Given("--" + key)) (key == "incremental" ? options_.incremental : options_.keepGoing) = value;
        } else if (key == "report" || key == "json") {
            std::string value = Path(key, node);
            if (!Given("--" + key)) (key == "report" ? options_.reportPath : options_.jsonPath) = std::move(value);
        } else if (const FileKind row = LevelRow(key)) {
            const std::int64_t level = Value<std::int64_t>(key, node, "a whole number (a level)");
            std::string list;
            bool known = false;
            for (const int allowed : RowLevels(*row)) {
                known = known || allowed == level;
                list += (list.empty() ? "" : ", ") + std::to_string(allowed);
            }
            if (!known) Fail(node, "\"" + key + "\": invalid level " + std::to_string(level) + " (allowed: " + list + ")");
            if (!Given("--" + key)) options_.levels.Set(key, static_cast<Level>(level));
        } else {
            Fail(node, "unknown key \"" + key + "\"");
        }
    }

    static FileKind LevelRow(const std::string& key)
    {
        for (const FileKind row : Optimizers())
            if (!row->entries.empty() && row->name == key) return row;
        return nullptr;
    }

    std::string path_;
    CliOptions& options_;
};

}  // namespace

void ApplyConfigFile(CliOptions& options)
{
    std::string path = options.configPath;
    if (path.empty()) {
        for (const std::string& site : options.paths) {
            std::error_code error;
            if (!fs::is_directory(site, error)) continue;
            const fs::path found = fs::path(site) / kConfigName;
            if (fs::is_regular_file(found, error)) {
                path = found.string();
                options.exclude.push_back(kConfigName);  // the site's settings are no part of it
            }
            break;  // only the first site's
        }
    }
    if (!path.empty()) TConfigReader(path, options).Read();
}
