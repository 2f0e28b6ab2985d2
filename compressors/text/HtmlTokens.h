#pragma once
// Token handlers of the HTML scanner. Each is called with its token's first
// characters at the scan position, appends what it keeps to the output and
// moves the position forward (to n to consume the rest of the text).

#include "compressors/text/HtmlScan.h"

// "<!--": drops everything through the next "-->" (searched from the second
// hyphen on), or the rest of the text.
void SkipComment(HtmlScan& scan);

// "</": drops a whole "</th>" or "</td>"; otherwise copies the "<" and moves
// on by one. Without a later ">" the rest of the text is dropped. Any
// raw-text tag still waiting for its ">" is forgotten.
void CopyEndTag(HtmlScan& scan);

// "<": lowercases the tag name in the working text, up to the first ">" or
// HTML space character (whichever comes first, when both exist), copies "<".
// A script, style or textarea tag then waits for its ">" (NoteTagStart).
void CopyTagStart(HtmlScan& scan);

// Records the tag that starts with the "<" at the position as the raw-text
// tag when its name (up to an HTML space, ">", "/" or the end of the text, as
// it stands) is "script", "style" or "textarea"; clears it otherwise.
void NoteTagStart(HtmlScan& scan);

// At a ">" while a raw-text tag waits: copies the ">", then keeps verbatim
// everything up to the next "</" followed by the tag's name in any letter
// case, or the rest of the text. The scan goes on at that "</".
void CopyRawText(HtmlScan& scan);

// At the "p" of "<pre": keeps verbatim through the last "</pre>" of the text
// (any letter case); without one, the rest of the text.
void CopyPreformatted(HtmlScan& scan);

// A double quote: an all-digit quoted text loses its quotes unless a "/"
// follows, any other keeps them; a quote without a partner is copied alone.
void CopyQuoted(HtmlScan& scan);

// An HTML space character: a run of them becomes its first character; a run
// that reaches the end of the text is copied whole.
void CopyWhitespaceRun(HtmlScan& scan);
