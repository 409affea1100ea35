#include "ui/Updates/ReleaseNotesView.h"

#include "platform/qt/QtURLOpener.h"
#include "update/StreamSafeText.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QTextBoundaryFinder>
#include <QTextCursor>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace Parlowen {
namespace {

using Block = update::ReleaseNotes::Block;

// Words longer than this never fit a line of the notes.
constexpr qsizetype longWordLength = 80;

// Where a zero-width space goes in the text of a block: after every second character of each
// word too long for a line. The layout then breaks such a word almost anywhere (a line ends at
// most a character short) in time linear in its length; left alone, it measures the rest of the
// word again for each line. A space after every character would cost half as much again to
// shape where a word changes fonts or directions from character to character.
QList<qsizetype> breaksInLongWords(const QString& text) {
    QList<qsizetype> breaks;
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (auto end = lines.toNextBoundary(); end != -1; start = end, end = lines.toNextBoundary()) {
        if (end - start <= longWordLength) {
            continue;
        }
        characters.setPosition(start);
        qsizetype count = 0;
        for (auto at = characters.toNextBoundary(); at != -1 && at < end;
             at = characters.toNextBoundary()) {
            if (++count % 2 == 0) {
                breaks.push_back(at);
            }
        }
    }
    return breaks;
}

// What a list item shows before its text: its number, counted on from the items before it in
// its list, or a bullet that changes with the depth.
QString markerText(const Block& block, std::unordered_map<std::size_t, int>& numbered) {
    switch (block.marker) {
    case Block::Marker::none:
        return {};
    case Block::Marker::number:
        return QString::number(++numbered[block.list]) + QStringLiteral(".\u00A0");
    case Block::Marker::bullet:
        break;
    }
    return block.listDepth == 1   ? QStringLiteral("\u2022\u00A0")
           : block.listDepth == 2 ? QStringLiteral("\u25E6\u00A0")
                                  : QStringLiteral("\u25AA\u00A0");
}

// How far each level of lists indents beyond the first: lists nested as deep as the notes
// allow still leave most of the view's width to their text.
constexpr qreal listStep = 20;

// Where the lines of a block start: beside the widest marker for the first level of lists,
// one step further for each level more. An item's marker hangs in front of its text, so that
// the lines of the item and of the items after it start where the text starts.
QTextBlockFormat blockFormat(const Block& block, qreal markerWidth, qreal gutter) {
    QTextBlockFormat format;
    switch (block.kind) {
    case Block::Kind::heading:
        format.setHeadingLevel(block.headingLevel);
        format.setTopMargin(8);
        format.setBottomMargin(4);
        break;
    case Block::Kind::paragraph:
    case Block::Kind::preformatted:
        format.setBottomMargin(block.marker == Block::Marker::none ? 6 : 2);
        break;
    }
    // An indent, unlike a margin, lies on the side where the block's text begins, left or right.
    format.setIndent(block.listDepth == 0 ? 0
                                          : static_cast<int>(std::lround(
                                                gutter + (block.listDepth - 1) * listStep)));
    format.setTextIndent(-markerWidth);
    return format;
}

// What every run of the notes shares.
struct Looks {
    const update::ReleaseNotes& notes;
    QBrush link;
    QStringList fixedPitchFamilies;
};

QTextCharFormat charFormat(const Block& block, const update::ReleaseNotes::Style& style,
                           const Looks& looks) {
    QTextCharFormat format;
    if (block.kind == Block::Kind::heading) {
        // As a rich-text heading: h4 the size of the text, each level up a step larger.
        format.setProperty(QTextFormat::FontSizeAdjustment, 4 - block.headingLevel);
    }
    if (block.kind == Block::Kind::heading || style.strong) {
        format.setFontWeight(QFont::Bold);
    }
    format.setFontItalic(style.emphasis);
    if (block.kind == Block::Kind::preformatted || style.code) {
        format.setFontFamilies(looks.fixedPitchFamilies);
        format.setFontFixedPitch(true);
    }
    if (style.link) {
        format.setAnchor(true);
        format.setAnchorHref(QString::fromStdString(looks.notes.links().at(*style.link)));
        format.setFontUnderline(true);
        format.setForeground(looks.link);
    }
    return format;
}

// The characters that a cursor's insertText() turns into a new block: within a block of the
// notes each is a line break.
bool breaksBlock(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator ||
           c == QChar(0xFDD0) || c == QChar(0xFDD1);
}

// Inserts the block's runs, line breaks as line separators, long words breakable and runs of
// combining marks, across the runs, in stream-safe form.
void insertRuns(QTextCursor& cursor, const Block& block, const Looks& looks) {
    QString text;
    QList<qsizetype> ends;
    update::StreamSafeText streamSafe;
    for (const auto& run : block.runs) {
        text += QString::fromStdU16String(
            streamSafe.next(QString::fromStdString(run.text).toStdU16String()));
        ends.push_back(text.size());
    }
    std::replace_if(text.begin(), text.end(), breaksBlock, QChar(QChar::LineSeparator));
    const auto breaks = breaksInLongWords(text);
    auto nextBreak = breaks.begin();
    qsizetype at = 0;
    for (qsizetype index = 0; index < ends.size(); ++index) {
        QString shown;
        shown.reserve(ends[index] - at);
        for (; at < ends[index]; ++at) {
            if (nextBreak != breaks.end() && *nextBreak == at) {
                shown += QChar(0x200B);
                ++nextBreak;
            }
            shown += text[at];
        }
        cursor.insertText(shown, charFormat(block, block.runs[index].style, looks));
    }
}

} // namespace

ReleaseNotesView::ReleaseNotesView(QWidget* parent) : QTextBrowser(parent) {
    // Following a link here would replace the notes with whatever it names.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl& link) {
        platform::qt::QtURLOpener::openURL(link.toString(QUrl::FullyEncoded).toStdString());
    });
}

void ReleaseNotesView::showNotes(const update::ReleaseNotes& notes) {
    auto* shown = document();
    shown->clear();
    // Indents count in pixels.
    shown->setIndentWidth(1);
    QTextCursor cursor(shown);
    cursor.beginEditBlock();
    const Looks looks{notes, palette().link(),
                      QFontDatabase::systemFont(QFontDatabase::FixedFont).families()};
    const QFontMetricsF metrics(shown->defaultFont());
    std::unordered_map<std::size_t, int> numbered;
    QStringList markers;
    QList<qreal> markerWidths;
    qreal gutter = 2 * listStep;
    for (const auto& block : notes.blocks()) {
        markers.push_back(markerText(block, numbered));
        markerWidths.push_back(metrics.horizontalAdvance(markers.back()));
        gutter = std::max(gutter, markerWidths.back());
    }
    for (qsizetype index = 0; index < markers.size(); ++index) {
        const auto& block = notes.blocks()[static_cast<std::size_t>(index)];
        const auto& marker = markers[index];
        const auto format = blockFormat(block, markerWidths[index], gutter);
        if (index == 0) {
            cursor.setBlockFormat(format);
        } else {
            cursor.insertBlock(format, QTextCharFormat());
        }
        cursor.insertText(marker, QTextCharFormat());
        insertRuns(cursor, block, looks);
    }
    cursor.endEditBlock();
}

} // namespace Parlowen
