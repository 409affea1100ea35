#include "update/ReleaseNotes.h"

#include "update/UpdateCycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace {

using update::ReleaseNotes;
using Block = ReleaseNotes::Block;

std::string repeated(std::string_view text, std::size_t times) {
    std::string result;
    for (std::size_t index = 0; index < times; ++index) {
        result += text;
    }
    return result;
}

// Half a MiB of `piece`, then text.
std::string flood(std::string_view piece, std::string_view start = "") {
    return std::string(start) + repeated(piece, 512 * 1024 / piece.size()) + "after";
}

// Links of ever longer addresses: the download falls into slices within some of them.
std::pair<std::string, std::string> links(std::size_t count) {
    std::pair<std::string, std::string> notesAndShown{"", "p:"};
    for (std::size_t index = 0; index < count; ++index) {
        const auto address = "https://x.example/" + std::string(index, 'a');
        notesAndShown.first += "<a href=\"" + address + "\">x</a>";
        notesAndShown.second += "[x](" + address + ")";
    }
    return notesAndShown;
}

// A start tag of differently named attributes, about `bytes` long.
std::string attributes(std::size_t bytes, std::string_view element = "p") {
    std::string tag = "<" + std::string(element);
    for (std::size_t index = 0; tag.size() < bytes; ++index) {
        tag += " a" + std::to_string(index);
    }
    return tag + ">";
}

// A start tag of `element` whose attribute names run on without a blank, each as long as the
// parser reads one (100 characters), about `bytes` long.
std::string runOnNames(std::size_t bytes, std::string_view element) {
    std::string tag = "<" + std::string(element) + " ";
    for (std::size_t index = 0; tag.size() + 100 < bytes; ++index) {
        const auto number = std::to_string(index);
        tag += "n" + number + std::string(99 - number.size(), 'x');
    }
    return tag + ">";
}

// The notes in short: blocks joined by " | ", each its lists as ">", its marker ("•" or "#"),
// its kind ("p", "h1" to "h6", "pre") and ":" before its runs: emphasis in _, strong in *, code
// in `, links as [text](address).
std::string describe(const ReleaseNotes& notes) {
    std::string text;
    for (const auto& block : notes.blocks()) {
        text += text.empty() ? "" : " | ";
        text += std::string(static_cast<std::size_t>(block.listDepth), '>');
        text += block.marker == Block::Marker::bullet   ? "•"
                : block.marker == Block::Marker::number ? "#"
                                                        : "";
        text += block.kind == Block::Kind::heading        ? "h" + std::to_string(block.headingLevel)
                : block.kind == Block::Kind::preformatted ? "pre"
                                                          : "p";
        text += ":";
        for (const auto& run : block.runs) {
            std::string shown = run.text;
            for (const auto& [on, mark] :
                 {std::pair{run.style.code, "`"}, std::pair{run.style.emphasis, "_"},
                  std::pair{run.style.strong, "*"}}) {
                shown = on ? mark + shown + mark : shown;
            }
            text += run.style.link ? "[" + shown + "](" + notes.links().at(*run.style.link) + ")"
                                   : shown;
        }
    }
    return text;
}

// The characters the window shows, each break between blocks one more.
std::size_t shownCharacters(const ReleaseNotes& notes) {
    std::size_t count = 0;
    for (const auto& block : notes.blocks()) {
        count += &block == &notes.blocks().front() ? 0 : 1;
        for (const auto& run : block.runs) {
            // Well-formed UTF-8: every byte but a continuation byte starts a character.
            count += static_cast<std::size_t>(std::count_if(
                run.text.begin(), run.text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
        }
    }
    return count;
}

// Notes as downloaded and as `describe` tells what they show.
struct ShownRow {
    const char* name;
    std::string notes;
    std::string shown;
};

TEST(ReleaseNotes, KeepOnlyWhatReleaseNotesNeed) {
    constexpr auto depth = ReleaseNotes::maxDepth / 2;
    const ShownRow rows[] = {
        {"headings, paragraphs, lists, emphasis and code",
         "<h2>New</h2><P>Faster <b>scans</b>, <i>fewer</i> <code>waits</code>.<ul><li>One<li>Two"
         "</ul><ol><li><p>Three</p><p>more</p></ol><pre> a\n  b</pre>",
         "h2:New | p:Faster *scans*, _fewer_ `waits`. | >•p:One | >•p:Two | >#p:Three | >p:more | "
         "pre: a\n  b"},
        {"preformatted text keeps its spaces inside other elements",
         "<pre><b>a  b\n <i>c\n  d</i></b></pre>", "pre:*a  b\n **_c\n  d_*"},
        {"links keep web and mail addresses only",
         R"(<a href="https://x.example/?a=1&amp;b=2">site</a> <a href='javascript:alert(1)'>run</a>)"
         R"( <a href="file:///etc/passwd">file</a> <a href="data:text/html,<b>">data</a> <a )"
         R"(href="VBScript:msgbox">vb</a> <a href="tessaline://quit">app</a> <a )"
         R"(href="x-apple.systempreferences:">prefs</a> <a href="MAILTO:a@x.example">mail</a>)"
         R"( <a href="evil.desktop">here</a> <a href="../x">up</a> <a href="">none</a>)",
         "p:[site](https://x.example/?a=1&b=2) run file data vb app prefs "
         "[mail](MAILTO:a@x.example) here up none"},
        {"links however the download falls into slices", links(200).first, links(200).second},
        {"other elements leave their text",
         R"(<table><tr><td>A</td><td>B</td></tr></table><img src="file:///etc/passwd">)",
         "p:A | p:B"},
        {"scripts and styles leave nothing",
         R"(<style>p {}</style><p>Hi<script>document.write("</p>")</SCRIPT></p><!-- <p> -->)",
         "p:Hi"},
        {"hidden elements hide all they hold", "<template><b></b>secret<i>s</i></template><p>shown",
         "p:shown"},
        {"misplaced html, head and body tags leave the rest",
         "<p>a<html lang=en><head id=h><body class=x><p>b", "p:a | p:b"},
        {"a stray end tag first", "</p><p>x", "p:x"},
        {"a stray end tag of an inline element first", "</b><p>x", "p:x"},
        {"stray end tags after a comment", "<!-- x --></p><p>x<!-- y --></b><p>y", "p:x | p:y"},
        {"a stray end tag after a doctype", "<!DOCTYPE html></div><p>x", "p:x"},
        {"a stray end tag after a processing instruction", "<?x?></li><p>x", "p:x"},
        {"an end of the html element before any element", "</html>x", "p:x"},
        {"text and paragraphs after the end of the html element",
         "<html><body><p>a</p></body></html> b<!-- c --><p>c</html>d", "p:a | p:b | p:c | p:d"},
        {"the end of the html element last in a slice", "<p>" + std::string(1014, 'a') + "</html>b",
         "p:" + std::string(1014, 'a') + " | p:b"},
        {"characters and entities", "<p>&lt;b&gt; &amp; &#8230; &#x1F600; &bogus; 1 < 2",
         "p:<b> & … 😀 &bogus; 1 < 2"},
        {"UTF-8 whatever the notes declare, ill-formed bytes replaced",
         "<meta charset=\"ISO-8859-1\"><p>caf\xC3\xA9 \xC0\xFF", "p:café \xEF\xBF\xBD\xEF\xBF\xBD"},
        {"ill-formed bytes garble nothing after them",
         "<p \xC0>a" + repeated("\xE9", 20) + "b<img alt=\"" + repeated("\xE9", 20) +
             "\" src=\"data:" + std::string(9300, 'Q') + "\">caf\xC3\xA9 \xF0\x9F\x98\x80",
         "p:a" + repeated("\xEF\xBF\xBD", 20) + "bcaf\xC3\xA9 \xF0\x9F\x98\x80"},
        {"markup smuggled past escaping stays text",
         "<p>\xC0&lt;table \xC0&gt;\xC0&lt;img src=x\xC0&gt;\xC0&lt;style\xC0&gt;p{}",
         "p:\xEF\xBF\xBD<table \xEF\xBF\xBD>\xEF\xBF\xBD<img src=x\xEF\xBF\xBD>"
         "\xEF\xBF\xBD<style\xEF\xBF\xBD>p{}"},
        {"a smuggled link stays text", "<p>\xC0&lt;a href=\"javascript:alert(1)\"\xC0&gt;run",
         "p:\xEF\xBF\xBD<a href=\"javascript:alert(1)\"\xEF\xBF\xBD>run"},
        {"nesting beyond the limit leaves the text",
         repeated("<ul><li>", depth + 5) + "deep" + repeated("</li></ul>", depth + 5),
         std::string(depth, '>') + "•p:deep"},
        {"plain text stays as written", "Line 1\r\n  Line 2 & <3", "p:Line 1\n  Line 2 & <3"},
    };
    for (const auto& row : rows) {
        const auto notes = ReleaseNotes::read(row.notes);
        EXPECT_EQ(describe(notes), row.shown) << row.name;
        EXPECT_EQ(notes.downloadedBytes(), row.notes.size()) << row.name;
    }
}

// Every character shown counts, line breaks and block breaks too; notes nested deeper than the
// parser follows end where it stopped, and so do notes that would make the parser work long
// for what shows: they leave the rest unread and end in an ellipsis.
TEST(ReleaseNotes, LongNotesEndInAnEllipsis) {
    struct Row {
        const char* name;
        std::string notes;
    };
    const Row rows[] = {
        {"plain text", std::string(ReleaseNotes::maxCharacters + 1, 'x')},
        {"paragraphs", repeated("<p>é</p>", ReleaseNotes::maxCharacters)},
        {"line breaks", repeated("<br>", ReleaseNotes::maxCharacters + 1)},
        {"nesting", repeated("<div>", 300) + "deep"},
        {"tags of fewer attributes", repeated(attributes(7 * 1024), 20) + "after"},
        {"list items", flood("<li>")},
        {"paragraphs of strong text", flood("<p><b>")},
        {"links", flood("<a href=x>")},
        {"empty elements", flood("<b></b>")},
        {"comments", flood("<!---->")},
        {"stray end tags", flood("</p>")},
        {"misplaced html tags of many attributes",
         "<p>x" + repeated(attributes(7900, "html"), 8) + "after"},
        {"misplaced head tags of many attributes",
         "<p>x" + repeated(attributes(7900, "head"), 8) + "after"},
        {"misplaced body tags of many attributes",
         "<p>x" + repeated(attributes(7900, "body"), 8) + "after"},
        // Larger than a download may be: many tags of few names are needed.
        {"misplaced body tags of long attribute names",
         "<p>x" + repeated(runOnNames(8000, "body"), 640) + "after"},
        {"references in attribute values", flood("<p title=\"" + repeated("&zz;", 64) + "\">")},
        {"unknown entities in a title", flood("&bogus;", "<title>")},
        {"invalid characters", flood("\x01", "<p>")},
    };
    for (const auto& row : rows) {
        const auto notes = ReleaseNotes::read(row.notes);
        EXPECT_LE(shownCharacters(notes), ReleaseNotes::maxCharacters + 2) << row.name;
        EXPECT_TRUE(describe(notes).ends_with("p:…")) << row.name;
    }
}

// A start tag or comment the parser would hold too long is skipped unread, and the notes go on
// after it; they end in an ellipsis only when text was left out.
TEST(ReleaseNotes, LongTagsAndCommentsLeaveTheRest) {
    const auto image = "<img src=\"data:image/png;base64," + std::string(20 * 1024, 'Q') + "\">";
    const std::string longValue(9 * 1024, 'u');
    const ShownRow rows[] = {
        {"an image of a 20 KiB data address",
         "<p>Scans are faster:" + image + " see the chart.</p><p>Thanks!</p>",
         "p:Scans are faster: see the chart. | p:Thanks!"},
        {"an image last", "<p>Scans are faster.</p>" + image, "p:Scans are faster."},
        {"a link of a 9 KiB address",
         "<p>Read <a href=\"https://t.example/?u=" + std::string(9 * 1024, 'u') +
             "\">the notes</a> for more.</p>",
         "p:Read the notes for more."},
        {"an inline SVG of a 20 KB path",
         "<p>New icon <svg viewBox=\"0 0 9 9\"><path d=\"M0 0" + repeated(" L1 2", 4000) +
             "\"/></svg> in the menu.</p>",
         "p:New icon in the menu."},
        {"a 22 KB licence comment first",
         "<!--" + repeated("(c) <dev@x.example>, provided \"AS IS\". ", 500) +
             "-->\n<h2>2.0</h2><p>Faster.",
         "h2:2.0 | p:Faster."},
        {"a long script that begins like a comment",
         "<script><!--" + repeated("f();", 2500) + "</script><p>Shown -->", "p:Shown -->"},
        {"a tag of 2 MiB of attributes",
         attributes(update::UpdateCycle::maxReleaseNotesBytes) + "x", "p:x"},
        {"a long image after an ill-formed byte in a tag",
         "<p \xC0>a\xE9"
         "b<img alt=\"" +
             std::string(2000, '\xE9') + "\" src=\"data:" + std::string(9 * 1024, 'Q') + "\">c</p>",
         "p:a\xEF\xBF\xBD"
         "bc"},
        {"a paragraph of 12 KiB of attributes begins as a short one does",
         "<p>before" + attributes(12 * 1024) + "after", "p:before | p:after"},
        {"a link of a 9 KiB address of parameters",
         "<p>Read <a href=\"https://t.example/?" + repeated("u=1&amp;", 1200) +
             "\">the notes</a> for more.</p>",
         "p:Read the notes for more."},
        {"long script, style and title tags hide what they hold",
         "<p>a<script src=\"" + longValue + "\">document.write('b')</script>c<style media=\"" +
             longValue + "\">p {}</style><title lang=\"" + longValue + "\">Release</title>d",
         "p:ac | p:d"},
        {"a long script tag closed by />", "<p>a<script src=\"" + longValue + "\"/>b", "p:ab"},
        {"a long tag of a '>' in a single-quoted value",
         "<p>a<img src=\"" + longValue + "\" alt='x>y'>b", "p:ab"},
        {"a long tag of an apostrophe in an unquoted value",
         "<p>a<img alt=it's src=\"" + longValue + "\">b</p><p>c", "p:ab | p:c"},
        {"an apostrophe in an unquoted value before long notes",
         "<p>a<img alt=it's src=x.png>b" + repeated(" c", 4600), "p:ab" + repeated(" c", 4600)},
        {"a long comment of \"->\"", "<!--" + longValue + " a->b --><p>c", "p:c"},
        {"an image of markup quoted in its address",
         "<p>a<img alt='>' src=\"data:image/svg+xml,<svg><path d='" + repeated("M1 2>", 2000) +
             "'/></svg>\">b",
         "p:ab"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(describe(ReleaseNotes::read(row.notes)), row.shown) << row.name;
    }
}

// A reading cancelled before it begins reads nothing.
TEST(ReleaseNotes, CancelledReadingShowsNothing) {
    const std::atomic<bool> cancelled{true};
    const auto notes = ReleaseNotes::read("<p>secret</p><p>more</p>", cancelled);
    EXPECT_EQ(describe(notes).find("secret"), std::string::npos) << describe(notes);
}

} // namespace
