#include "compressors/text/HtmlScan.h"

HtmlScan::HtmlScan(const std::string& page, const std::optional<std::string>& pageFolder)
    : text(page), n(page.size()), keptSpace(page, pageFolder), nextStyleEnd(page, "</style>"), nextScriptEnd(page, "</script>")
{
}
