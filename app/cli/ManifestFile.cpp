#include "app/cli/ManifestFile.h"

#include <cinttypes>
#include <cstdio>
#include <limits>

#include "app/cli/JsonRead.h"
#include "app/cli/JsonText.h"

namespace {

constexpr const char* kFormat = "1";

std::string Hex(std::uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

const TJsonValue& Field(const TJsonValue& object, const char* name, TJsonValue::Type type)
{
    const TJsonValue* value = object.Find(name);
    if (!value || value->type != type) throw JsonError(std::string("missing or invalid \"") + name + "\"");
    return *value;
}

std::uint64_t Unsigned(const std::string& text, std::uint64_t maximum, const char* name)
{
    std::uint64_t number = 0;
    bool valid = !text.empty() && text.size() <= 20;
    for (const char c : text) {
        valid = valid && c >= '0' && c <= '9' && number <= (maximum - static_cast<std::uint64_t>(c - '0')) / 10;
        if (valid) number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (!valid) throw JsonError(std::string("invalid \"") + name + "\"");
    return number;
}

std::uint64_t Size(const TJsonValue& object, const char* name)
{
    return Unsigned(Field(object, name, TJsonValue::Type::Number).text,
                    static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()), name);
}

std::int64_t Signed(const TJsonValue& object, const char* name)
{
    const std::string& text = Field(object, name, TJsonValue::Type::Number).text;
    const bool negative = !text.empty() && text[0] == '-';
    const auto magnitude = static_cast<std::int64_t>(Unsigned(
        negative ? text.substr(1) : text, static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()), name));
    return negative ? -magnitude : magnitude;
}

std::uint64_t HashField(const TJsonValue& object, const char* name)
{
    const std::string& text = Field(object, name, TJsonValue::Type::String).text;
    std::uint64_t value = 0;
    bool valid = text.size() == 16;
    for (const char c : text) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        valid = valid && digit >= 0;
        value = value * 16 + static_cast<std::uint64_t>(digit < 0 ? 0 : digit);
    }
    if (!valid) throw JsonError(std::string("invalid \"") + name + "\"");
    return value;
}

}  // namespace

std::string ManifestText(const TOutputRecords& records)
{
    std::string text = std::string("{\n  \"format\": ") + kFormat + ",\n  \"files\": {";
    bool first = true;
    for (const auto& [name, r] : records) {
        text += first ? "\n    " : ",\n    ";
        first = false;
        text += JsonString(name) + ": {\"source_size\": " + std::to_string(r.sourceSize) +
                ", \"source_mtime_ns\": " + std::to_string(r.sourceTimeNs) + ", \"source_hash\": \"" +
                Hex(r.sourceHash) + "\", \"kind\": " + JsonString(r.kind) + ", \"levels\": " + JsonString(r.levels) +
                ", \"version\": " + JsonString(r.version) + ", \"output_size\": " + std::to_string(r.outputSize) +
                ", \"output_hash\": \"" + Hex(r.outputHash) + "\", \"original\": " + std::to_string(r.originalSize) +
                ", \"level\": " + std::to_string(r.level) + ", \"copied\": " + (r.copied ? "true" : "false") +
                ", \"kept\": " + (r.kept ? "true" : "false") + "}";
    }
    text += first ? "}\n}\n" : "\n  }\n}\n";
    return text;
}

TOutputRecords ParseManifest(const std::string& text)
{
    const TJsonValue document = ParseJson(text);
    if (document.type != TJsonValue::Type::Object) throw JsonError("not an object");
    if (Field(document, "format", TJsonValue::Type::Number).text != kFormat) throw JsonError("unknown format");
    TOutputRecords records;
    for (const auto& [name, object] : Field(document, "files", TJsonValue::Type::Object).members) {
        if (object.type != TJsonValue::Type::Object) throw JsonError("a file that is not an object");
        TOutputRecord r;
        r.sourceSize = Size(object, "source_size");
        r.sourceTimeNs = Signed(object, "source_mtime_ns");
        r.sourceHash = HashField(object, "source_hash");
        r.kind = Field(object, "kind", TJsonValue::Type::String).text;
        r.levels = Field(object, "levels", TJsonValue::Type::String).text;
        r.version = Field(object, "version", TJsonValue::Type::String).text;
        r.outputSize = Size(object, "output_size");
        r.outputHash = HashField(object, "output_hash");
        r.originalSize = Size(object, "original");
        r.level = static_cast<int>(Signed(object, "level"));
        r.copied = Field(object, "copied", TJsonValue::Type::Boolean).boolean;
        for (const auto& [key, value] : object.members)  // absent from older manifests
            if (key == "kept") r.kept = value.type == TJsonValue::Type::Boolean && value.boolean;
        if (r.level < -1 || r.level > 99) throw JsonError("invalid \"level\"");
        records[name] = std::move(r);
    }
    return records;
}
