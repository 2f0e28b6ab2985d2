#pragma once
// The fixed parts of the HTML report, as the report writes them.

#include <string>

inline const std::string kReportHeader =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">\r"
    "<html><head>\r"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\r"
    "<title>Quorvan Web Optimizer, Results</title>\r"
    "</head><body><table>\r\n"
    "<tr>\r\n"
    "<th>Filename<th>Original size<th>Opimized size<th>Ratio</tr>\r\n";
inline const std::string kReportEmptyRow = "<tr>\r\n<td>&nbsp;<td>&nbsp;<td>&nbsp;<td>&nbsp;</tr>\r\n";
inline const std::string kReportFooter = "</table></body></html>\r\n";
