#pragma once

// Text search through prepared pages: each page from the search position on is drawn into
// a recording metafile and its records are walked in drawing order; a text record that
// holds the text is a match. The position (page, record index) lets "find next" go on
// behind the last match.

#include "platform/GdiObjects.h"

#include <optional>
#include <string>
#include <string_view>

namespace report {

class TRMEMFPages;
class TRMPage;

class TRMPreviewSearch {
public:
    // As stored: upper-cased when the search ignores case.
    std::string Text;
    bool CaseSensitive = false;
    bool WholeWords = false;
    // Search position: page (0-based) and the first record index to compare on it.
    int PageIndex = 0;
    int RecordIndex = 0;
    // Page (0-based) of the last match, -1 before any.
    int FoundPage = -1;
    int FoundNext = 0; // record index behind the last match
    int Occurrences = 0;

    struct Match {
        int page = 0;         // 0-based
        int record = 0;       // index of the matching record on the page
        platform::TRect rect; // the record's bounds in page pixels
        std::string text;     // the record's text
    };

    bool hasText() const { return !Text.empty(); }
    // Stores the text and switches and sets the position: the first page, or the current
    // page (0-based) — behind the last match when that page is still the page of it.
    void Start(std::string_view text, bool caseSensitive, bool wholeWords, bool fromFirst,
               int currentPage);
    // Before "find next": the position moves to the start of the current page unless that
    // is the page of the last match.
    void Continue(int currentPage);
    // Searches from the position; a match moves the position behind the matching record.
    // No match after the last page: nullopt, and the position stays past the end.
    std::optional<Match> Find(const TRMEMFPages& pages);

    // Whether `recordText` (already upper-cased when the search ignores case) holds
    // `needle` under the whole-word rule: an occurrence counts when it ends the text or is
    // followed by a carriage return, a blank, a hyphen or a double-byte character.
    static bool matches(std::string_view recordText, std::string_view needle, bool wholeWords);
    // Whether drawing `views` can give a text record that holds the text. Memos draw pieces
    // of their stored (already evaluated) lines and bands, lines, pictures and shapes draw
    // no text, so a page of only those is ruled out without drawing when no line holds the
    // text; a page with any other view has to be drawn to find out.
    bool mayMatch(const TRMPage& views) const;
    // ASCII letters upper-cased, everything else kept.
    static std::string upper(std::string_view text);
};

} // namespace report
