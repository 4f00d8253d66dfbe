#pragma once

// The sizes of a box score: column widths, font pixel sizes and spacing, in a roomy and a narrow preset.
struct BoxScoreStyle {
    int nameColumnWidth = 168;
    int statColumnWidth = 36;
    // Added to statColumnWidth for the last column of a table (AVG, ERA).
    int avgColumnExtra = 8;
    int lineAbbrColumnWidth = 48;
    int lineInningColumnWidth = 24;
    int lineTotalsColumnWidth = 32;
    int scoringMarkerWidth = 32;
    int scoringScoreWidth = 32;
    int bodyFontSize = 13;
    int captionFontSize = 11;
    int titleFontSize = 17;
    int outerPadding = 24;
    int sectionSpacing = 18;
    // Title and decisions on two lines instead of one.
    bool isCompact = false;

    static constexpr BoxScoreStyle regular() { return {}; }
    static constexpr BoxScoreStyle compact() { return { 124, 28, 6, 36, 20, 24, 24, 26, 10, 9, 12, 12, 10, true }; }

    friend bool operator==(const BoxScoreStyle &, const BoxScoreStyle &) = default;
};
