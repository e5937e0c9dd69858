#pragma once

// The archive's header and footer captions (a copy of archive/ArchiveCaptions.h): real rich
// text from the field for the engine's tests and benchmarks, which lie below the archive.
// Code page 936 as the rich-edit control saved it, the lines joined with CR LF.

#include <string_view>

namespace report {

// Page header: "[Title]" centred in 22-point 黑体 (character set 134), then a
// right-aligned 8-point paragraph of blanks in black.
inline constexpr std::string_view ArchivePageHeaderCaption =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{"
    "\\f0\\fmodern\\fprq6\\fcharset134 \\'ba\\'da\\'cc\\'e5;}}\r\n"
    "{\\colortbl ;\\red0\\green0\\blue0;}\r\n"
    "\\viewkind4\\uc1\\pard\\qc\\lang2052\\f0\\fs44 [Title]\\par\r\n"
    "\\pard\\qr\\cf1\\fs16                                 \\par\r\n"
    "}\r\n";

// Page footer: one empty 9-point paragraph in 宋体.
inline constexpr std::string_view ArchivePageFooterCaption =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{"
    "\\f0\\fnil\\fprq2\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
    "\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs18\\par\r\n"
    "}\r\n";

// Column footer: three 9-point paragraphs in 宋体 (the last paragraph mark in
// MS Sans Serif): print date and time, operator, page x of y.
inline constexpr std::string_view ArchiveColumnFooterCaption =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{"
    "\\f0\\fnil\\fprq2\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}{\\f1\\fswiss\\fprq2\\fcharset0 MS Sans "
    "Serif;}}\r\n"
    "\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs18 \\'b4\\'f2\\'d3\\'a1\\'c8\\'d5\\'c6\\'da:[Date]  "
    "\\'b4\\'f2\\'d3\\'a1\\'ca\\'b1\\'bc\\'e4:[Time]          \\par\r\n"
    "\\'b2\\'d9 \\'d7\\'f7 \\'d4\\'b1:[Oper]  \\par\r\n"
    "\\'d2\\'b3    "
    "\\'ca\\'fd:\\'b5\\'da[Page#]\\'d2\\'b3/"
    "\\'b9\\'b2[TotalPages#]\\'d2\\'b3\\lang1033\\f1\\fs17\\par\r\n"
    "}\r\n";

} // namespace report
