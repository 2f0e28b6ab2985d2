#pragma once
// Text placed in an HTML document that declares UTF-8.

#include <string>
#include <string_view>

// The text as HTML character data: "&", "<", ">", '"' and "'" become
// references, valid UTF-8 sequences stay, and every byte that does not
// belong to one (a file name in another encoding) becomes U+FFFD, so the
// document stays valid UTF-8 whatever the bytes.
std::string HtmlText(std::string_view text);
