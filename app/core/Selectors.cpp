#include "app/core/Selectors.h"

#include "app/core/Level.h"

const std::vector<std::string>& SelectorEntries(Selector selector)
{
    static const std::vector<std::string> png = {"0- No recompression", "1- Fast recompression",
                                                 "2- Normal recompression", "3- Slow recompression",
                                                 "4- Extreme recompression"};
    static const std::vector<std::string> js = {"0- No compression", "1- Comment removal", "2- Whitespace removal",
                                                "3- Newline removal", "4- Variable substitution"};
    static const std::vector<std::string> jpeg = {
        "0- No removal",           "1- Comment removal",       "2- Exif section removal",
        "3- IPTC section removal", "12- Comment+Exif removal", "13- Comment+IPCT removal",
        "23- Exif+IPCT removal",   "4- Leave pure image"};
    static const std::vector<std::string> text = {"0- No compression", "1- Comment+Space removal",
                                                  "2- Maximum compression"};
    static const std::vector<std::string> gif = {"0- No compression", "1- Fast compression", "2- Maximum compression"};
    switch (selector) {
    case Selector::PNG: return png;
    case Selector::JS: return js;
    case Selector::JPEG: return jpeg;
    case Selector::GIF: return gif;
    case Selector::HTML:
    case Selector::CSS: break;
    }
    return text;
}

std::size_t DefaultEntryIndex(Selector selector)
{
    switch (selector) {
    case Selector::JS: return 3;
    case Selector::JPEG: return 7;
    case Selector::PNG: return 4;
    default: return 2;
    }
}

std::string EntryForLevel(Selector selector, int level)
{
    for (const auto& entry : SelectorEntries(selector))
        if (LevelFromText(entry, selector == Selector::JPEG) == level) return entry;
    return {};
}

const std::vector<Selector>& AllSelectors()
{
    static const std::vector<Selector> all = {Selector::PNG,  Selector::JS,  Selector::JPEG,
                                              Selector::HTML, Selector::GIF, Selector::CSS};
    return all;
}
