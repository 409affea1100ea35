#include "ui/Updates/ReleaseNotesView.h"

#include <QFontDatabase>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextList>

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

QTextBlockFormat blockFormat(const Block& block) {
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
    if (block.marker == Block::Marker::none) {
        format.setIndent(block.listDepth);
    }
    return format;
}

QTextListFormat listFormat(const Block& block) {
    QTextListFormat format;
    format.setIndent(block.listDepth);
    if (block.marker == Block::Marker::number) {
        format.setStyle(QTextListFormat::ListDecimal);
    } else {
        format.setStyle(block.listDepth == 1   ? QTextListFormat::ListDisc
                        : block.listDepth == 2 ? QTextListFormat::ListCircle
                                               : QTextListFormat::ListSquare);
    }
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

// Inserts the block's runs, line breaks as line separators and long words breakable.
void insertRuns(QTextCursor& cursor, const Block& block, const Looks& looks) {
    QString text;
    QList<qsizetype> ends;
    for (const auto& run : block.runs) {
        text += QString::fromStdString(run.text);
        ends.push_back(text.size());
    }
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
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
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void ReleaseNotesView::showNotes(const update::ReleaseNotes& notes) {
    auto* shown = document();
    shown->clear();
    QTextCursor cursor(shown);
    cursor.beginEditBlock();
    const Looks looks{notes, palette().link(),
                      QFontDatabase::systemFont(QFontDatabase::FixedFont).families()};
    std::unordered_map<std::size_t, QTextList*> lists;
    for (const auto& block : notes.blocks()) {
        if (&block == &notes.blocks().front()) {
            cursor.setBlockFormat(blockFormat(block));
        } else {
            cursor.insertBlock(blockFormat(block), QTextCharFormat());
        }
        if (block.marker != Block::Marker::none) {
            if (auto& list = lists[block.list]) {
                list->add(cursor.block());
            } else {
                list = cursor.createList(listFormat(block));
            }
        }
        insertRuns(cursor, block, looks);
    }
    cursor.endEditBlock();
}

} // namespace Parlowen
