#include "report/engine/layout/RMRtfControlWords.h"

namespace report::rtf::detail {

const std::unordered_map<std::string_view, WordInfo>& controlWords() {
    static const std::unordered_map<std::string_view, WordInfo> table = [] {
        std::unordered_map<std::string_view, WordInfo> t = {
            {"ansi", {Word::Ansi}},
            {"ansicpg", {Word::AnsiCpg}},
            {"mac", {Word::Mac}},
            {"pc", {Word::Pc}},
            {"pca", {Word::Pca}},
            {"deff", {Word::Deff}},
            {"uc", {Word::Uc}},
            {"fonttbl", {Word::FontTable}},
            {"colortbl", {Word::ColorTable}},
            {"f", {Word::Font}},
            {"fcharset", {Word::FontCharset}},
            {"cpg", {Word::CodePage}},
            {"red", {Word::Red}},
            {"green", {Word::Green}},
            {"blue", {Word::Blue}},
            {"par", {Word::Par}},
            {"sect", {Word::Par}},
            {"page", {Word::Par}},
            {"row", {Word::Par}},
            {"line", {Word::Line}},
            {"tab", {Word::Tab}},
            {"cell", {Word::Tab}},
            {"u", {Word::Unicode}},
            {"bin", {Word::Bin}},
            {"emdash", {Word::Special, 0x2014}},
            {"endash", {Word::Special, 0x2013}},
            {"emspace", {Word::Special, 0x2003}},
            {"enspace", {Word::Special, 0x2002}},
            {"qmspace", {Word::Special, 0x2005}},
            {"bullet", {Word::Special, 0x2022}},
            {"lquote", {Word::Special, 0x2018}},
            {"rquote", {Word::Special, 0x2019}},
            {"ldblquote", {Word::Special, 0x201C}},
            {"rdblquote", {Word::Special, 0x201D}},
            {"plain", {Word::Plain}},
            {"fs", {Word::FontSize}},
            {"b", {Word::Bold}},
            {"i", {Word::Italic}},
            {"ul", {Word::Underline}},
            {"uld", {Word::Underline}},
            {"uldb", {Word::Underline}},
            {"uldash", {Word::Underline}},
            {"ulth", {Word::Underline}},
            {"ulw", {Word::Underline}},
            {"ulwave", {Word::Underline}},
            {"ulnone", {Word::NoUnderline}},
            {"strike", {Word::Strike}},
            {"striked", {Word::Strike}},
            {"cf", {Word::ForeColor}},
            {"highlight", {Word::Highlight}},
            {"cb", {Word::Highlight}},
            {"super", {Word::Super}},
            {"sub", {Word::Sub}},
            {"nosupersub", {Word::NoSuperSub}},
            {"v", {Word::Hidden}},
            {"pard", {Word::Pard}},
            {"ql", {Word::AlignLeft}},
            {"qr", {Word::AlignRight}},
            {"qc", {Word::AlignCenter}},
            {"qj", {Word::AlignJustify}},
        };
        // Destinations whose content is not text of the document.
        for (std::string_view name :
             {"stylesheet",   "info",       "pict",       "object",
              "header",       "headerl",    "headerr",    "headerf",
              "footer",       "footerl",    "footerr",    "footerf",
              "footnote",     "annotation", "themedata",  "colorschememapping",
              "latentstyles", "datastore",  "listtable",  "listoverridetable",
              "rsidtbl",      "generator",  "xmlnstbl",   "filetbl",
              "revtbl",       "userprops",  "nonshppict", "fldinst",
              "bkmkstart",    "bkmkend",    "txe",        "xe",
              "tc",           "docvar",     "pgdsctbl",   "atnid",
              "atnauthor",    "pn",         "pntxta",     "pntxtb",
              "falt",         "panose",     "fname",      "template",
              "shp",          "shpinst"})
            t.emplace(name, WordInfo{Word::SkippedDestination});
        return t;
    }();
    return table;
}

} // namespace report::rtf::detail
