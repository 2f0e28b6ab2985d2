#include "app/cli/ManifestFile.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <limits>

#include "app/cli/JsonRead.h"
#include "app/cli/JsonWrite.h"

namespace {

// 2: XXH3-64 hashes. An older format is outdated, never a match.
constexpr std::uint64_t kFormat = 2;

using Json = nlohmann::json;

std::string Hex(std::uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

[[noreturn]] void Invalid(const char* name)
{
    throw JsonError(std::string("missing or invalid \"") + name + "\"");
}

const Json& Field(const Json& object, const char* name, Json::value_t type)
{
    const auto value = object.find(name);
    if (value == object.end() || value->type() != type) Invalid(name);
    return *value;
}

std::uint64_t Size(const Json& object, const char* name)
{
    const auto size = Field(object, name, Json::value_t::number_unsigned).get<std::uint64_t>();
    if (size > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) Invalid(name);
    return size;
}

std::int64_t Signed(const Json& object, const char* name)
{
    const auto value = object.find(name);
    if (value == object.end() || !value->is_number_integer() ||
        (value->is_number_unsigned() &&
         value->get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())))
        Invalid(name);
    return value->get<std::int64_t>();
}

// 16 lowercase hex digits.
std::uint64_t HashField(const Json& object, const char* name)
{
    const std::string& text = Field(object, name, Json::value_t::string).get_ref<const std::string&>();
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    if (text.size() != 16 || text.find_first_not_of("0123456789abcdef") != std::string::npos ||
        std::from_chars(text.data(), end, value, 16).ptr != end)
        Invalid(name);
    return value;
}

std::string Text(const Json& object, const char* name)
{
    return Field(object, name, Json::value_t::string).get<std::string>();
}

}  // namespace

std::string ManifestText(const TOutputRecords& records)
{
    nlohmann::ordered_json files = nlohmann::ordered_json::object();
    for (const auto& [name, r] : records)
        files[name] = {{"source_size", r.sourceSize},
                       {"source_mtime_ns", r.sourceTimeNs},
                       {"source_hash", Hex(r.sourceHash)},
                       {"kind", r.kind},
                       {"levels", r.levels},
                       {"version", r.version},
                       {"output_size", r.outputSize},
                       {"output_hash", Hex(r.outputHash)},
                       {"original", r.originalSize},
                       {"level", r.level},
                       {"copied", r.copied},
                       {"kept", r.kept},
                       {"partial", r.partial}};
    return JsonLayout({{"format", kFormat}, {"files", files}}) + "\n";
}

TOutputRecords ParseManifest(const std::string& text)
{
    const Json document = ParseJson(text);
    if (!document.is_object()) throw JsonError("not an object");
    const std::uint64_t format = Field(document, "format", Json::value_t::number_unsigned).get<std::uint64_t>();
    if (format < kFormat) return {};
    if (format != kFormat) throw JsonError("unknown format");
    TOutputRecords records;
    for (const auto& [name, object] : Field(document, "files", Json::value_t::object).items()) {
        if (!object.is_object()) throw JsonError("a file that is not an object");
        TOutputRecord r;
        r.sourceSize = Size(object, "source_size");
        r.sourceTimeNs = Signed(object, "source_mtime_ns");
        r.sourceHash = HashField(object, "source_hash");
        r.kind = Text(object, "kind");
        r.levels = Text(object, "levels");
        r.version = Text(object, "version");
        r.outputSize = Size(object, "output_size");
        r.outputHash = HashField(object, "output_hash");
        r.originalSize = Size(object, "original");
        const std::int64_t level = Signed(object, "level");
        if (level < -1 || level > 99) Invalid("level");
        r.level = static_cast<int>(level);
        r.copied = Field(object, "copied", Json::value_t::boolean).get<bool>();
        // "kept": the reason (an older manifest: true for "output did not match"); may be absent.
        if (const auto kept = object.find("kept"); kept != object.end() && kept->is_string())
            r.kept = kept->get<std::string>();
        else if (kept != object.end() && kept->is_boolean() && kept->get<bool>())
            r.kept = "output did not match";
        const auto partial = object.find("partial");
        r.partial = partial != object.end() && partial->is_boolean() && partial->get<bool>();
        records[name] = std::move(r);
    }
    return records;
}
