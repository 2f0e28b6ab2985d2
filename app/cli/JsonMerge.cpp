#include "app/cli/JsonMerge.h"

#include <algorithm>

#include "app/cli/JsonRead.h"
#include "app/cli/JsonResults.h"
#include "compressors/Optimizers.h"
#include "compressors/base/Files.h"

namespace {

using Json = nlohmann::ordered_json;

// The members of `object` in the order given first, then any others.
Json InOrder(const nlohmann::json& object, const std::vector<std::string>& order)
{
    Json ordered = Json::object();
    for (const std::string& key : order)
        if (object.contains(key)) ordered[key] = object.at(key);
    for (const auto& [key, value] : object.items())
        if (!ordered.contains(key)) ordered[key] = value;
    return ordered;
}

// The object member `key`, each of its members a whole number, summed into `sums`.
void AddCounts(const nlohmann::json& part, const char* key, Json& sums, const std::string& path)
{
    const auto member = part.find(key);
    if (member == part.end() || !member->is_object()) throw MergeError(path + ": no \"" + key + "\" object");
    for (const auto& [name, value] : member->items()) {
        if (name == "ratio") continue;
        if (!value.is_number_integer()) throw MergeError(path + ": \"" + key + "\"." + name + " is not a count");
        sums[name] = (sums.contains(name) ? sums[name].get<long long>() : 0) + value.get<long long>();
    }
}

double Number(const nlohmann::json& part, const char* key)
{
    const auto member = part.find(key);
    return member != part.end() && member->is_number() ? member->get<double>() : 0.0;
}

// The optimizer table's kinds, in its order (the order a run writes the levels in).
std::vector<std::string> RowNames()
{
    std::vector<std::string> names;
    for (const FileKind row : Optimizers()) names.push_back(row->name);
    return names;
}

nlohmann::json ReadPart(const std::string& path)
{
    nlohmann::json part;
    try {
        part = ParseJson(ReadEntireFile(path));
    } catch (const std::exception& error) {
        throw MergeError(path + ": " + error.what());
    }
    const auto schema = part.is_object() ? part.find("schema") : part.end();
    if (schema == part.end() || *schema != kJsonSchema)
        throw MergeError(path + ": not the JSON results of schema " + std::to_string(kJsonSchema) +
                         (schema == part.end() ? std::string(" (no \"schema\")") : " (schema " + schema->dump() + ")"));
    if (!part.contains("files") || !part["files"].is_array()) throw MergeError(path + ": no \"files\" array");
    return part;
}

}  // namespace

TMergedJson MergeJsonFiles(const std::vector<std::string>& paths)
{
    Json files = Json::array();
    Json totals = Json::object(), statuses = Json::object();
    TJsonRun run;
    nlohmann::json firstLevels;
    for (std::size_t index = 0; index < paths.size(); ++index) {
        const std::string& path = paths[index];
        const nlohmann::json part = ReadPart(path);
        const std::string version = part.value("version", std::string());
        if (index == 0) {
            run.version = version;
            firstLevels = part.value("levels", nlohmann::json::object());
            run.levels = InOrder(firstLevels, RowNames());
        } else if (version != run.version) {
            throw MergeError(path + ": version " + version + ", but " + paths[0] + " has " + run.version);
        } else if (part.value("levels", nlohmann::json::object()) != firstLevels) {
            throw MergeError(path + ": other levels than " + paths[0]);
        }
        for (const auto& file : part["files"]) files.push_back(InOrder(file, JsonFileKeys()));
        AddCounts(part, "totals", totals, path);
        AddCounts(part, "statuses", statuses, path);
        run.wallSeconds = std::max(run.wallSeconds, Number(part, "wall_seconds"));
        run.cpuSeconds += Number(part, "cpu_seconds");
    }
    const auto count = [&totals](const char* key) { return totals.contains(key) ? totals[key].get<long long>() : 0; };
    totals["ratio"] = JsonRatio(count("optimized"), count("original"));
    TMergedJson merged;
    merged.text = JsonDocument(run, files, InOrder(totals, JsonTotalsKeys()),
                               InOrder(statuses, JsonStatusKeys()));
    merged.tally = {count("files"), count("original"), count("optimized"), count("failed"),
                    count("kept"),  count("partial"),  count("reused"),    run.wallSeconds};
    return merged;
}
