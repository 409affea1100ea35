#include "update/ReleaseNotes.h"

#include <gtest/gtest.h>

namespace {

using update::ReleaseNotes;

std::string repeated(std::string_view text, std::size_t times) {
    std::string result;
    for (std::size_t index = 0; index < times; ++index) {
        result += text;
    }
    return result;
}

TEST(ReleaseNotes, KeepOnlyWhatReleaseNotesNeed) {
    constexpr auto depth = ReleaseNotes::maxDepth / 2;
    struct Row {
        const char* name;
        std::string notes;
        std::string html;
    };
    const Row rows[] = {
        {"headings, paragraphs, lists, emphasis and code",
         "<h2>New</h2><P>Faster <b>scans</b>, <i>fewer</i> <code>waits</code>.<ul><li>One<li>Two",
         "<h2>New</h2><p>Faster <strong>scans</strong>, <em>fewer</em> <code>waits</code>.</p>"
         "<ul><li>One</li><li>Two</li></ul>"},
        {"links keep web and mail addresses only",
         R"(<a href="https://x.example/?a=1&amp;b=2">site</a> <a href='javascript:alert(1)'>run</a>)",
         R"(<a href="https://x.example/?a=1&amp;b=2">site</a> run)"},
        {"other elements leave their text",
         R"(<table><tr><td>A</td><td>B</td></tr></table><img src="file:///etc/passwd">)",
         "A<br>B<br>"},
        {"scripts and styles leave nothing",
         R"(<style>p {}</style><p>Hi<script>document.write("</p>")</SCRIPT></p><!-- <p> -->)",
         "<p>Hi</p>"},
        {"characters and entities", "<p>&lt;b&gt; &amp; &#8230; &#x1F600; &bogus; 1 < 2",
         "<p>&lt;b&gt; &amp; … 😀 &amp;bogus; 1 &lt; 2</p>"},
        {"nesting beyond the limit leaves the text",
         repeated("<ul><li>", depth + 5) + "deep" + repeated("</li></ul>", depth + 5),
         repeated("<ul><li>", depth) + "deep" + repeated("</li></ul>", depth)},
        {"plain text stays as written", "Line 1\n  Line 2 & <3",
         "<p style=\"white-space: pre-wrap\">Line 1\n  Line 2 &amp; &lt;3</p>"},
    };
    for (const auto& row : rows) {
        const auto notes = ReleaseNotes::read(row.notes);
        EXPECT_EQ(notes.html(), row.html) << row.name;
        EXPECT_EQ(notes.downloadedBytes(), row.notes.size()) << row.name;
    }
}

TEST(ReleaseNotes, LongNotesEndInAnEllipsis) {
    for (const auto& notes : {std::string(ReleaseNotes::maxHtmlBytes, 'x'),
                              repeated("<p>é</p>", ReleaseNotes::maxHtmlBytes)}) {
        const auto html = ReleaseNotes::read(notes).html();
        EXPECT_LE(html.size(), ReleaseNotes::maxHtmlBytes + 64);
        EXPECT_TRUE(html.ends_with("</p><p>…</p>")) << html.substr(html.size() - 64);
    }
}

} // namespace
