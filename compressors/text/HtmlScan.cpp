#include "compressors/text/HtmlScan.h"

HtmlScan::HtmlScan(std::string_view page, const std::optional<std::string>& pageFolder)
    : text(page), n(page.size()), keptSpace(page, pageFolder), nextStyleEnd(page, "</style>"), nextScriptEnd(page, "</script>")
{
}
