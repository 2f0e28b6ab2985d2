// Level 1 of the scanner: what each kind of token becomes.

#include "HtmlTestSupport.h"

#include "compressors/text/HtmlChars.h"

#include <utility>
#include <vector>

TEST(HtmlScanner, CommentsAreDropped)
{
    EXPECT_EQ(Level1("<!-- note --><p>"), "<p>");
    EXPECT_EQ(Level1("<!-->x-->"), "");
    EXPECT_EQ(Level1("a<!--->b"), "ab");
    EXPECT_EQ(Level1("<!--[if IE]><p>old</p><![endif]-->x"), "x");
    EXPECT_EQ(Level1("keep<!-- never closed <p>lost</p>"), "keep");
}

TEST(HtmlScanner, TableCellEndTagsAreDroppedOthersKept)
{
    EXPECT_EQ(Level1("<td>a</td><td>b</td>"), "<td>a<td>b");
    EXPECT_EQ(Level1("<th>h</th></tr>"), "<th>h</tr>");
    EXPECT_EQ(Level1("a</TD>b</td >c</tdx>"), "a</TD>b</td >c</tdx>");
    EXPECT_EQ(Level1("x</p and no end"), "x");
}

TEST(HtmlScanner, TagNamesAreLowercased)
{
    EXPECT_EQ(Level1("<P CLASS=X>"), "<p CLASS=X>");
    EXPECT_EQ(Level1("<!DOCTYPE HTML>"), "<!doctype HTML>");
    EXPECT_EQ(Level1("<DIV>A</DIV> x"), "<div>A</DIV> x");    // end tags keep their case
    EXPECT_EQ(Level1("x<BR>"), "x<br>");
    EXPECT_EQ(Level1("<B>x y <I>z</I>"), "<b>x y <i>z</I>");
    // Only the name: attribute names and values keep their case.
    EXPECT_EQ(Level1("<A/HREF=Page.HTML>x</A>"), "<a/HREF=Page.HTML>x</A>");
}

TEST(HtmlScanner, TagNameEndsAtAnySpaceCharacter)
{
    // A TAB or line break after the name ends the lowercased range too, so
    // attribute values keep their case.
    EXPECT_EQ(Level1("<IMG\tSRC=\"Logo.GIF\"> x"), "<img\tSRC=\"Logo.GIF\"> x");
    EXPECT_EQ(Level1("<A\nHREF=Page.HTML> x"), "<a\nHREF=Page.HTML> x");
}

TEST(HtmlScanner, PreformattedSpanIsCopiedVerbatim)
{
    const std::string page = "<PRE>  a  </PRE> x  y <pre>b</pre>";
    EXPECT_EQ(Level1(page), "<pre>  a  </PRE> x  y <pre>b</pre>");
    EXPECT_EQ(Level1("<pre>\"1\"  <!--c--></pre>  z"), "<pre>\"1\"  <!--c--></pre> z");
    // Blanks next to "=" stay too: code samples keep their operators.
    EXPECT_EQ(Level1("<pre>a  =  b</pre>"), "<pre>a  =  b</pre>");
    const std::string code = "<pre>\nwhile (cur != NULL) {\n    cur = cur->next;  /* \"1\" */\n}\n</pre>";
    EXPECT_EQ(Level1(code), code);
}

TEST(HtmlScanner, UnclosedPreformattedKeepsTheRestOfThePage)
{
    EXPECT_EQ(Level1("x  <pre>a  <!-- b -->  \"7\""), "x <pre>a  <!-- b -->  \"7\"");
    EXPECT_EQ(Level1("<pre>"), "<pre>");
}

TEST(HtmlScanner, SpaceRunsShrinkToTheirFirstCharacter)
{
    EXPECT_EQ(Level1("a \r\n\tb"), "a b");
    EXPECT_EQ(Level1("a\n  b"), "a\nb");
    EXPECT_EQ(Level1("a\r\nb"), "a\rb");
    EXPECT_EQ(Level1("a  \n"), "a  \n");  // a run at the very end is copied whole
    EXPECT_EQ(Level1("a\xa0\xa0 b"), "a\xa0\xa0 b");
}

TEST(HtmlScanner, MarkupIsRewrittenTextIsNot)
{
    const std::string sheet = "<style>.where { white-space: pre-wrap }</style>";
    const std::vector<std::pair<std::string, std::string>> cases = {
        // Spaces around "=" and quotes of numbers go inside tags only.
        {"<p>Set x = 5 and say \"42\"</p>", "<p>Set x = 5 and say \"42\"</p>"},
        {"<p>Linux >= 5.4, <code>let x = 5;</code></p>", "<p>Linux >= 5.4, <code>let x = 5;</code></p>"},
        {"<td width = \"42\"  HEIGHT=\r\n\"7\">", "<td width=42 HEIGHT=7>"},
        {"<IMG SRC=\"a.gif\" WIDTH=\"100\">", "<img SRC=\"a.gif\" WIDTH=100>"},
        {"<circle r=\"4\"/><rect width=\"10\" />", "<circle r=\"4\"/><rect width=10 />"},
        {"<img a=\"1\"b=\"2\" c='3' d=\"\">", "<img a=\"1\"b=2 c='3' d=\"\">"},  // unquoted, "1b=2" would be one value
        {"<a href = x = y>", "<a href=x = y>"},  // the second "=" starts an attribute of its own
        {"<p title=\"a = b  \"\" c>x</p c = 3>", "<p title=\"a = b  \"\" c>x</p c=3>"},
        {"<p x=>a</p>", "<p x=>a</p>"},
        {"<!DOCTYPE html  PUBLIC \"-//W3C\" >", "<!doctype html PUBLIC \"-//W3C\" >"},
        {"<?xml version = \"1.0\"?>", "<?xml version = \"1.0\"?>"},
        {"a < b = \"1\"  c", "a < b = \"1\" c"},
        {"x = <pre> = \"1\" </pre> = y", "x = <pre> = \"1\" </pre> = y"},
        // A quote in text is text: later tags and raw text are read as a browser reads them.
        {"<p>A 5\" display.</p><p class=\"x\" id=\"7\">a  b</p>", "<p>A 5\" display.</p><p class=\"x\" id=7>a b</p>"},
        {"<p>it's</p><textarea>'a  b'</textarea>  <b title='c  d'>e</b>",
         "<p>it's</p><textarea>'a  b'</textarea> <b title='c  d'>e</b>"},
        {"<p>5\"</p><script>s = \"a  b\"; // c\nf();</script>", "<p>5\"</p><script>s = \"a  b\"; // c\nf();</script>"},
        // Text keeps its white space where the page may show it as written.
        {sheet + "<div class=\"x where\">a\n    b</div>  c", sheet + "<div class=\"x where\">a\n    b</div> c"},
        {"<div class=where><div>a  b</div>c  <br>d</div>e  f" + sheet,
         "<div class=where><div>a  b</div>c  <br>d</div>e f" + sheet},
        {"<style>.docblock .where, x{white-space:pre}</style><span class=WHERE>a  b</span>  c",
         "<style>.docblock .where, x{white-space:pre}</style><span class=WHERE>a  b</span> c"},
        {"<style>@media screen { span:hover { white-space: break-spaces } }</style><span>a  b</span><p>c  d</p>",
         "<style>@media screen { span:hover { white-space: break-spaces } }</style><span>a  b</span><p>c d</p>"},
        {"<p style=\"color:red; WHITE-SPACE: Pre-Line\">a  b</p>c  d", "<p style=\"color:red; WHITE-SPACE: Pre-Line\">a  b</p>c d"},
        {"<listing>a  b</listing>  <svg><text xml:space=\"preserve\">c  d</text></svg>  e",
         "<listing>a  b</listing> <svg><text xml:space=\"preserve\">c  d</text></svg> e"},
        {"<div id=w>a  b</div>  <p>c  d</p><style>#w{white-space:pre}</style>",
         "<div id=w>a  b</div> <p>c d</p><style>#w{white-space:pre}</style>"},
        {"<span class=w>a  <span>b</span>  c</span>  d<style>.w{white-space:pre}</style>",
         "<span class=w>a  <span>b</span>  c</span> d<style>.w{white-space:pre}</style>"},
        // Selectors that cannot be read simply keep every element's white space.
        {"<style>[data-x]{white-space:pre}</style><p>a  b</p>", "<style>[data-x]{white-space:pre}</style><p>a  b</p>"},
        {"<style>:is(.a){white-space:pre}</style><p>a  b</p>", "<style>:is(.a){white-space:pre}</style><p>a  b</p>"},
        // Rules that show nothing as written leave the text to be shortened.
        {"<style>.n{white-space:nowrap}.g::before{white-space:pre}/* .c{white-space:pre} */</style>"
         "<p class=\"n g c\">a  b</p>",
         "<style>.n{white-space:nowrap}.g::before{white-space:pre}/* .c{white-space:pre} */</style>"
         "<p class=\"n g c\">a b</p>"},
        {"<link rel=stylesheet href=pre.css><p class=where>a  b</p>", "<link rel=stylesheet href=pre.css><p class=where>a b</p>"},
    };
    for (const auto& [page, expected] : cases) EXPECT_EQ(Level1(page), expected) << page;
}

TEST(HtmlScanner, RawTextElementsAreKeptVerbatim)
{
    // The content of script, style and textarea elements is not markup: it
    // is kept up to the next "</" and the element's name, in any letter case.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<script>if (v === \"1\") x = \"a  b\";</script>", "<script>if (v === \"1\") x = \"a  b\";</script>"},
        {"<script><!-- f(); //--></script>", "<script><!-- f(); //--></script>"},
        {"<style>p  {  color : red }</style>", "<style>p  {  color : red }</style>"},
        {"<TEXTAREA  Rows=\"4\">  a = \"1\"\r\n\r\n</TextArea>  x",
         "<textarea Rows=4>  a = \"1\"\r\n\r\n</TextArea> x"},
        {"<Script>a  =  b</sCRIPT>", "<script>a  =  b</sCRIPT>"},
        // The closing tag is found by its beginning alone.
        {"<script>a  b</scriptx>c  d", "<script>a  b</scriptx>c d"},
        {"<style>a  b</STYLE\n>  c", "<style>a  b</STYLE\n> c"},
        // A ">" quoted or in a comment inside the opening tag does not count.
        {"<script data-x=\"a>b\">c  d</script>", "<script data-x=\"a>b\">c  d</script>"},
        {"<script <!-- > -->>a  b</script>", "<script <!-- > -->>a  b</script>"},
        {"<script/>a  b</script>", "<script/>a  b</script>"},
        // Unclosed: kept to the end of the page.
        {"<p>  <script>a  = \"1\" <!-- <p>", "<p> <script>a  = \"1\" <!-- <p>"},
        {"<textarea>", "<textarea>"},
        // Other names are ordinary tags.
        {"<scripts>a  \"1\"</scripts>", "<scripts>a \"1\"</scripts>"},
        {"<text>a  b</text><pre-x>c  d", "<text>a b</text><pre-x>c  d"},
        // Names in any letter case; the tag ends at its first ">" outside a
        // quoted value, whatever comes before it.
        {"x<SCRIPT>\"1\"</SCRIPT>", "x<script>\"1\"</SCRIPT>"},
        {"<script <b>x = \"1\"  y", "<script <b>x = \"1\"  y"},
        {"<style </p>>  \"2\"</style>", "<style </p>>  \"2\"</style>"},
        {"<TITLE>a  <b>  = \"1\"</title>", "<title>a  <b>  = \"1\"</title>"},
        {"<xmp>a  <i>b</i></xmp >  c", "<xmp>a  <i>b</i></xmp > c"},
        {"<plaintext>a  </plaintext>  b", "<plaintext>a  </plaintext>  b"},
    };
    for (const auto& [page, expected] : cases) EXPECT_EQ(Level1(page), expected) << page;
}

TEST(HtmlScanner, Level2RawTextWhereNoBlockHandlerTakesTheElement)
{
    const HtmlLevels level2 = PageLevels(2, 0, 2);
    // Capital letters: not a block, but raw text.
    EXPECT_EQ(Minify("<STYLE>p  {}</STYLE>", level2), "<style>p  {}</STYLE>");
    EXPECT_EQ(Minify("<SCRIPT>if (v === \"1\") x = 1;</SCRIPT>", level2), "<script>if (v === \"1\") x = 1;</SCRIPT>");
    EXPECT_EQ(Minify("<textarea cols=\"40\">a  =  \"1\"</textarea>", level2),
              "<textarea cols=40>a  =  \"1\"</textarea>");
    // No closing tag: the block handler copies "<", the content stays raw.
    EXPECT_EQ(Minify("<script>a  =  \"1\"", level2), "<script>a  =  \"1\"");
    EXPECT_EQ(Minify("<style>p  {}</STYLE>  x", level2), "<style>p  {}</STYLE> x");
    // An element the handler takes is a tag start of its own.
    // The opening tag ends at its first ">" outside a quoted value.
    EXPECT_EQ(Minify("<SCRIPT <style>a{b:c}</style>>x  y", level2), "<script <style>a{b:c}</style>>x  y");
    EXPECT_EQ(Minify("<style title=\"a>b\">p  {}</style>", level2), "<style title=\"a>b\"></style>");
}

TEST(HtmlScanner, EmptyPageAndOtherLevels)
{
    EXPECT_EQ(Level1(""), "");
    EXPECT_EQ(Minify("<P>a  b</P>", PageLevels(7, 0, 0)), "<p>a b</P>");
}

TEST(HtmlChars, BytesAreUnsigned)
{
    EXPECT_TRUE(IsHtmlSpace('\t') && IsHtmlSpace('\r') && IsHtmlSpace('\n') && IsHtmlSpace(' '));
    EXPECT_FALSE(IsHtmlSpace(0x0b) || IsHtmlSpace(0xa0) || IsHtmlSpace(0x85));
    EXPECT_EQ(LowerAscii('Q'), 'q');
    EXPECT_EQ(LowerAscii(0xc4), 0xc4);
    EXPECT_EQ(LowerAscii(0xdf), 0xdf);
    EXPECT_TRUE(IsAllDigits("0123456789"));
    EXPECT_FALSE(IsAllDigits("12a") || IsAllDigits("\xb2"));
}
