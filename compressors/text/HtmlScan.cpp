#include "compressors/text/HtmlScan.h"

HtmlScan::HtmlScan(const std::string& page)
    : text(page), n(page.size()), keptSpace(page), nextStyleEnd(page, "</style>"), nextScriptEnd(page, "</script>")
{
}
