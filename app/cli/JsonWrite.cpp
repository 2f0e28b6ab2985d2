#include "app/cli/JsonWrite.h"

#include <algorithm>
#include <cstdio>

#include "app/cli/JsonText.h"

namespace {

using Json = nlohmann::ordered_json;

class TLayout {
public:
    explicit TLayout(const TJsonDecimals& decimals) : decimals_(decimals) {}

    void Value(const Json& value, const std::string* name, int depth)
    {
        if (value.is_string()) {
            text += JsonString(value.get_ref<const std::string&>());
        } else if (value.is_number_float() && name && decimals_.count(*name)) {
            char number[64];
            std::snprintf(number, sizeof number, "%.*f", decimals_.find(*name)->second, value.get<double>());
            text += number;
        } else if (value.is_structured() && !value.empty()) {
            Container(value, depth);
        } else {
            text += value.dump();
        }
    }

    std::string text;

private:
    void Container(const Json& value, int depth)
    {
        const bool object = value.is_object();
        const bool lines =
            std::any_of(value.begin(), value.end(), [](const Json& item) { return item.is_structured(); });
        const std::string indent = lines ? "\n" + std::string(2 * (depth + 1), ' ') : "";
        text += object ? '{' : '[';
        bool first = true;
        for (auto item = value.begin(); item != value.end(); ++item) {
            text += (first ? "" : ",") + (lines ? indent : first ? "" : " ");
            first = false;
            if (object) text += JsonString(item.key()) + ": ";
            Value(*item, object ? &item.key() : nullptr, depth + 1);
        }
        if (lines) text += "\n" + std::string(2 * depth, ' ');
        text += object ? '}' : ']';
    }

    const TJsonDecimals& decimals_;
};

}  // namespace

std::string JsonLayout(const nlohmann::ordered_json& value, const TJsonDecimals& decimals)
{
    TLayout layout(decimals);
    layout.Value(value, nullptr, 0);
    return std::move(layout.text);
}
