#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace update {

// Text in Unicode's stream-safe form (UAX #15): never more than 30 non-starters in a row. A letter
// may carry any number of combining marks, and a shaper spends hundreds of milliseconds on one of
// ten thousand; a COMBINING GRAPHEME JOINER before the 31st ends the run, so shaping stays linear
// in the text's length while every mark still shows. Non-starters are counted in each character's
// compatibility decomposition (NFKD), so the text stays stream-safe under every normalization.
// Pieces of one text (the runs of a paragraph) go through one StreamSafeText in turn: a run of
// marks goes on across them.
class StreamSafeText {
public:
    static constexpr std::size_t maxNonStarters = 30;
    static constexpr char16_t graphemeJoiner = u'\u034F';

    // The next piece of the text, with a joiner where a run of non-starters would pass
    // `maxNonStarters`. Unpaired surrogates pass unchanged and count as starters.
    std::u16string next(std::u16string_view piece);

private:
    // Non-starters since the last starter or joiner.
    std::size_t nonStarters = 0;
};

} // namespace update
