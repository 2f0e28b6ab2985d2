#pragma once
// Token handlers of the HTML scanner. Each is called with its token's first
// characters at the scan position, appends what it keeps to the output and
// moves the position forward (to n to consume the rest of the text). Markup
// is rewritten only inside tags; text keeps every byte but runs of white space.

#include "compressors/text/HtmlScan.h"

// "<!--": drops everything through the next "-->" (searched from the second
// hyphen on), or the rest of the text.
void SkipComment(HtmlScan& scan);

// "</": an end tag ("</" and a letter) is minified as a tag is, its name as
// written; a whole "</th>" or "</td>" is dropped. Anything else is copied as
// written through its ">". Without a ">" the rest of the text is dropped.
void CopyEndTag(HtmlScan& scan);

// "<" and a letter: the start tag, minified (HtmlTag.h). The content of a
// raw-text element follows as written; a tag whose name begins with "pre"
// is kept as written from its name through the last "</pre>" of the text
// (any letter case), or the rest of the text. A tag without ">" is copied
// as written with the rest of the text.
void CopyStartTag(HtmlScan& scan);

// "<!" or "<?" (no comment): copied through the next ">" (or the rest of the
// text) with its name in lower case and runs of HTML spaces shortened.
void CopyDeclaration(HtmlScan& scan);

// Text up to the next "<" (at least one byte): copied, except that a run of
// HTML spaces becomes its first character where the page does not keep its
// white space; a run that reaches the end of the text is copied whole.
void CopyText(HtmlScan& scan);
