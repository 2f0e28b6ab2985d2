// Level 1 of the scanner: what each kind of token becomes.

#include "HtmlTestSupport.h"

#include "compressors/text/HtmlChars.h"

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
    // Only the space next to "=" goes, inside the span as well.
    EXPECT_EQ(Level1("<pre>a  =  b</pre>"), "<pre>a = b</pre>");
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
}

TEST(HtmlScanner, Level1TreatsStyleAndScriptAsText)
{
    EXPECT_EQ(Level1("<script>if (a == \"1\")  { b(); }</script>"), "<script>if (a==1) { b(); }</script>");
    EXPECT_EQ(Level1("<script>x<!-- hidden\n-->y</script>"), "<script>xy</script>");
    EXPECT_EQ(Level1("<style>p  {  color : red }</style>"), "<style>p { color : red }</style>");
    // At level 2 only lower-case openers are blocks; the tag is then lowercased as any other.
    EXPECT_EQ(Minify("<STYLE>p  {}</STYLE>", HtmlLevels{2, 0, 2}), "<style>p {}</STYLE>");
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
