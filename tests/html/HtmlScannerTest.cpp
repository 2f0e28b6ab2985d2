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

TEST(HtmlScanner, TagNamesAreLowercasedUpToBlankOrEnd)
{
    EXPECT_EQ(Level1("<P CLASS=X>"), "<p CLASS=X>");
    EXPECT_EQ(Level1("<!DOCTYPE HTML>"), "<!doctype HTML>");
    EXPECT_EQ(Level1("<DIV>A</DIV> x"), "<div>A</DIV> x");    // end tags keep their case
    EXPECT_EQ(Level1("x<BR>"), "x<BR>");                      // no blank after it: untouched
    EXPECT_EQ(Level1("<B>x y <I>z</I>"), "<b>x y <I>z</I>");  // no blank after <I>
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

TEST(HtmlScanner, QuotedText)
{
    EXPECT_EQ(Level1("<IMG SRC=\"a.gif\" WIDTH=\"100\">"), "<img SRC=\"a.gif\" WIDTH=100>");
    EXPECT_EQ(Level1("it is \"12\" now"), "it is 12 now");
    EXPECT_EQ(Level1("\"a  b\""), "\"a  b\"");
    EXPECT_EQ(Level1("\"\xd9\xa0\""), "\"\xd9\xa0\"");  // high bytes are not digits
    // Unquoted before a self-closing slash, the value would take the slash.
    EXPECT_EQ(Level1("<circle r=\"4\"/><rect width=\"10\" />"), "<circle r=\"4\"/><rect width=10 />");
}

TEST(HtmlScanner, LoneQuoteAndEmptyQuotesAreKept)
{
    EXPECT_EQ(Level1("a\"b  c"), "a\"b c");
    EXPECT_EQ(Level1("<img alt=\"\" title=\"x\">"), "<img alt=\"\" title=\"x\">");
}

TEST(HtmlScanner, SpaceRunsShrinkToTheirFirstCharacter)
{
    EXPECT_EQ(Level1("a \r\n\tb"), "a b");
    EXPECT_EQ(Level1("a\n  b"), "a\nb");
    EXPECT_EQ(Level1("a\r\nb"), "a\rb");
    EXPECT_EQ(Level1("a  \n"), "a  \n");  // a run at the very end is copied whole
    EXPECT_EQ(Level1("a\xa0\xa0 b"), "a\xa0\xa0 b");
}

TEST(HtmlScanner, SpacesAroundEqualsSignsGo)
{
    EXPECT_EQ(Level1("x = 1"), "x=1");
    EXPECT_EQ(Level1("a == b"), "a==b");
    EXPECT_EQ(Level1("<a href = \"x\">"), "<a href=\"x\">");
    EXPECT_EQ(Level1("<p>end</p>\n</html>"), "<p>end</p>\n</html>");
    // Outside kept content only.
    EXPECT_EQ(Level1("x = <pre> = </pre> = y"), "x=<pre> = </pre>=y");
    EXPECT_EQ(Level1("<p a = 1><textarea b = 2> = </textarea c = 3>"), "<p a=1><textarea b=2> = </textarea c=3>");
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
        {"<script <!-- > -->>a  b</script>", "<script >a  b</script>"},
        {"<script/>a  b</script>", "<script/>a  b</script>"},
        // Unclosed: kept to the end of the page.
        {"<p>  <script>a  = \"1\" <!-- <p>", "<p> <script>a  = \"1\" <!-- <p>"},
        {"<textarea>", "<textarea>"},
        // Other names are ordinary tags.
        {"<scripts>a  \"1\"</scripts>", "<scripts>a 1</scripts>"},
        {"<text>a  b</text><pre-x>c  d", "<text>a b</text><pre-x>c  d"},
        // The name as the tag start left it: with no HTML space after it in
        // the page, "<SCRIPT" is not lowercased, so it is no script.
        {"x<SCRIPT>\"1\"</SCRIPT>", "x<SCRIPT>1</SCRIPT>"},
    };
    for (const auto& [page, expected] : cases) EXPECT_EQ(Level1(page), expected) << page;
}

TEST(HtmlScanner, AnotherTagBeforeTheGreaterThanSignEndsTheRawTextTag)
{
    EXPECT_EQ(Level1("<script <b>x = \"1\"  y"), "<script <b>x=1 y");
    EXPECT_EQ(Level1("<style </p>>  \"2\""), "<style </p>> 2");
    EXPECT_EQ(Level1("<style </td>>  \"2\""), "<style > 2");                        // also a dropped end tag
    EXPECT_EQ(Level1("<textarea <!-- x -->\"3\">  \"4\""), "<textarea 3>  \"4\"");  // a comment does not
}

TEST(HtmlScanner, Level2RawTextWhereNoBlockHandlerTakesTheElement)
{
    const HtmlLevels level2{2, 0, 2};
    // Capital letters: not a block, but raw text.
    EXPECT_EQ(Minify("<STYLE>p  {}</STYLE>", level2), "<style>p  {}</STYLE>");
    EXPECT_EQ(Minify("<SCRIPT>if (v === \"1\") x = 1;</SCRIPT>", level2), "<script>if (v === \"1\") x = 1;</SCRIPT>");
    EXPECT_EQ(Minify("<textarea cols=\"40\">a  =  \"1\"</textarea>", level2),
              "<textarea cols=40>a  =  \"1\"</textarea>");
    // No closing tag: the block handler copies "<", the content stays raw.
    EXPECT_EQ(Minify("<script>a  =  \"1\"", level2), "<script>a  =  \"1\"");
    EXPECT_EQ(Minify("<style>p  {}</STYLE>  x", level2), "<style>p  {}</STYLE> x");
    // An element the handler takes is a tag start of its own.
    EXPECT_EQ(Minify("<SCRIPT <style>a{b:c}</style>>x  y", level2),
              "<script <style type=\"text/css\">a{b:c}</style>>x y");
}

TEST(HtmlScanner, EmptyPageAndOtherLevels)
{
    EXPECT_EQ(Level1(""), "");
    EXPECT_EQ(Minify("<P>a  b</P>", HtmlLevels{7, 0, 0}), "<p>a b</P>");
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
