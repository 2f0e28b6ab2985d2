#pragma once
// Whether a script element holds JavaScript, by its opening tag's "type".

#include <string_view>

// True when the opening tag ("<script ...>") has no type attribute, an empty
// one, a JavaScript MIME type (text/javascript, application/ecmascript ...,
// parameters and case ignored) or "module". Any other type (math/tex,
// text/template, importmap, application/ld+json ...) is data a page reads:
// it must reach the page as written.
bool IsJavaScriptElement(std::string_view openingTag);
