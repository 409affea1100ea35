#include "update/ReleaseNotes.h"

#include "update/HeldMarkup.h"
#include "update/ReleaseNotesBuilder.h"

#include <libxml/HTMLparser.h>
#include <libxml/parserInternals.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>

namespace update {
namespace {

// What the parser may report for one download, whatever it holds: each element begun or ended,
// attribute, piece of text, comment and error counts one, and so do 128 comparisons of an
// attribute's name with those before it in its tag (its check for repeated names takes time
// square in their number), whether the parser then keeps the tag or drops it. On the worst
// floods a report costs the parser up to about 0.6 µs; whatever else it reads costs time in
// proportion to its bytes, but for references.
constexpr std::size_t maxReports = 64 * 1024;
constexpr std::size_t comparisonsPerReport = 128;
// A reference in an attribute value ("&zz;") costs the parser a look-up in its table of 253
// entities, 0.65 to 1 µs, and reports nothing, whether the value is kept or dropped with its tag
// or as a repeated attribute. So each '&' counts as two reports once it is fed, before the
// parser can read it, one in text too (which is reported besides).
constexpr std::size_t reportsPerAmpersand = 2;
// The parser holds a start tag or comment until its end arrives and then reads it in one go,
// comparing a tag's attribute names with each other; it looks for a tag's end again from its
// start each slice. One held longer is skipped unread, and the notes go on after it.
constexpr std::size_t maxHeldMarkupBytes = 8 * 1024;
constexpr std::size_t sliceBytes = 1024;
// Nesting the parser follows; deeper notes end there.
constexpr std::size_t maxOpenElements = 256;

// Notes are HTML when a tag, end tag or comment begins somewhere in them.
bool looksLikeHtml(std::string_view notes) {
    for (auto at = notes.find('<'); at != std::string_view::npos; at = notes.find('<', at + 1)) {
        const auto next = at + 1 < notes.size() ? static_cast<unsigned char>(notes[at + 1]) : 0;
        if (std::isalpha(next) != 0 || next == '/' || next == '!') {
            return true;
        }
    }
    return false;
}

// The notes with each ill-formed UTF-8 sequence replaced by U+FFFD. The parser reads
// everything after an ill-formed byte in some places (inside a tag) as Latin-1, which would
// garble every later character that is not ASCII; replaced before it is fed, a bad byte costs
// only itself.
std::string wellFormedUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto length = static_cast<std::int64_t>(bytes.size());
    for (std::int64_t at = 0; at < length;) {
        const auto start = at;
        UChar32 character = 0;
        U8_NEXT(data, at, length, character);
        if (character < 0) {
            text += "\xEF\xBF\xBD";
        } else {
            text.append(bytes.substr(static_cast<std::size_t>(start),
                                     static_cast<std::size_t>(at - start)));
        }
    }
    return text;
}

struct ContextFree {
    void operator()(htmlParserCtxt* context) const { htmlFreeParserCtxt(context); }
};

// One reading of HTML notes: the parser's reports go to the builder while the work lasts.
class HtmlReading {
public:
    HtmlReading(ReleaseNotesBuilder& builder, const std::atomic<bool>& cancelled)
        : builder(builder), cancelled(cancelled) {}

    // Answers whether the notes were read to their end.
    bool read(std::string_view html) {
        htmlSAXHandler handler{};
        handler.startElement = [](void* reading, const xmlChar* name, const xmlChar** attributes) {
            static_cast<HtmlReading*>(reading)->start(name, attributes);
        };
        handler.endElement = [](void* reading, const xmlChar* name) {
            static_cast<HtmlReading*>(reading)->end(name);
        };
        handler.characters = [](void* reading, const xmlChar* text, int length) {
            static_cast<HtmlReading*>(reading)->text(text, length);
        };
        handler.ignorableWhitespace = handler.characters;
        handler.cdataBlock = handler.characters;
        handler.comment = [](void* reading, const xmlChar*) {
            static_cast<HtmlReading*>(reading)->count(1);
        };
        context.reset(
            htmlCreatePushParserCtxt(&handler, this, nullptr, 0, nullptr, XML_CHAR_ENCODING_NONE));
        if (!context) {
            return false;
        }
        // Errors are counted, never printed: the parser's work on broken markup shows nowhere
        // else.
        context->sax->initialized = XML_SAX2_MAGIC;
        context->sax->serror = [](void* reading, xmlErrorPtr error) {
            static_cast<HtmlReading*>(reading)->error(*error);
        };
        // Always UTF-8, whatever the notes declare; no network.
        htmlCtxtUseOptions(context.get(), HTML_PARSE_RECOVER | HTML_PARSE_NONET |
                                              HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                              HTML_PARSE_IGNORE_ENC);
        xmlSwitchToEncoding(context.get(), xmlFindCharEncodingHandler("UTF-8"));
        for (std::size_t at = 0; at < html.size() && !halted();) {
            if (cancelled.load()) {
                return false;
            }
            const auto slice = html.substr(at, sliceBytes);
            count(reportsPerAmpersand *
                  static_cast<std::size_t>(std::count(slice.begin(), slice.end(), '&')));
            feed(slice);
            at = skipLongMarkup(html, at + slice.size());
        }
        if (halted() || cancelled.load()) {
            return false;
        }
        // What the parser still holds, and the end of what is open.
        htmlParseChunk(context.get(), nullptr, 0, 1);
        return !halted();
    }

private:
    void start(const xmlChar* name, const xmlChar** attributes) {
        std::size_t named = 0;
        while (attributes != nullptr && attributes[2 * named] != nullptr) {
            ++named;
        }
        count(1);
        chargeAttributes(named);
        if (!stopped && builder.openElements() >= maxOpenElements) {
            stop();
        }
        if (stopped) {
            return;
        }
        builder.start(reinterpret_cast<const char*>(name),
                      reinterpret_cast<const char* const*>(attributes));
        stopOnceFull();
    }

    void text(const xmlChar* text, int length) {
        count(1);
        if (stopped) {
            return;
        }
        builder.text(std::string_view(reinterpret_cast<const char*>(text),
                                      static_cast<std::size_t>(std::max(length, 0))));
        stopOnceFull();
    }

    void end(const xmlChar* name) {
        count(1);
        if (!stopped) {
            builder.end(reinterpret_cast<const char*>(name));
        }
    }

    void error(const xmlError& error) {
        count(1);
        // A misplaced html, head or body tag, which the parser drops once it has compared the
        // names of its attributes: they are charged before that work, all the parser holds
        // past the tag's name counting as the tag's.
        if (error.code == XML_HTML_STRUCURE_ERROR && context->instate == XML_PARSER_START_TAG) {
            const auto* input = context->input;
            chargeAttributes(HeldMarkup::attributeNamesAtMost(
                std::string_view(reinterpret_cast<const char*>(input->cur),
                                 static_cast<std::size_t>(input->end - input->cur))));
        }
    }

    // Stopped here or by the parser itself (it gives up on some broken input).
    bool halted() const { return stopped || context->disableSAX != 0; }

    void feed(std::string_view bytes) {
        if (halted()) {
            return;
        }
        // Looking for the end of a start tag, the parser remembers that a slice ended within a
        // quoted value but not which quote opened it, and then never finds the end: it looks
        // again from the tag's start, no more than `maxHeldMarkupBytes` each time.
        if (context->instate == XML_PARSER_START_TAG) {
            context->checkIndex = 0;
        }
        htmlParseChunk(context.get(), bytes.data(), static_cast<int>(bytes.size()), 0);
        readOnPastTheEnd();
    }

    void chargeAttributes(std::size_t names) {
        count(names + names * names / comparisonsPerReport);
    }

    void count(std::size_t units) {
        reports += units;
        if (reports > maxReports) {
            stop();
        }
    }

    // The push parser takes an end tag that leaves no element open (a stray one before any
    // element, or "</html>") for the end of the document: past it, it reads only comments and
    // ends at anything else, where the pull parser, like a browser, reads on. It is put back to
    // reading content and goes on with what it holds; each round starts past one more end tag.
    void readOnPastTheEnd() {
        while (!stopped && context->disableSAX == 0 &&
               (context->instate == XML_PARSER_EPILOG || context->instate == XML_PARSER_EOF)) {
            context->instate = XML_PARSER_CONTENT;
            if (context->input->cur == context->input->end) {
                return;
            }
            htmlParseChunk(context.get(), nullptr, 0, 0);
        }
    }

    // A start tag or comment held past the bound leaves the parser unread, and what the parser
    // held past its end is read again. A skipped start tag leaves its element begun, as a tag of
    // its name without attributes would, so the text of a script or style stays raw and what a
    // hidden element holds stays hidden. The answer is where the notes go on, `fed` when nothing
    // was skipped.
    std::size_t skipLongMarkup(std::string_view html, std::size_t fed) {
        while (!halted()) {
            auto* input = context->input;
            const std::string_view held(reinterpret_cast<const char*>(input->cur),
                                        static_cast<std::size_t>(input->end - input->cur));
            if (held.size() <= maxHeldMarkupBytes) {
                break;
            }
            // The text of a script or style may begin like a comment.
            const bool rawText = xmlStrEqual(context->name, BAD_CAST "script") != 0 ||
                                 xmlStrEqual(context->name, BAD_CAST "style") != 0;
            const bool startTag = context->instate == XML_PARSER_START_TAG && held.starts_with('<');
            const bool comment =
                context->instate != XML_PARSER_START_TAG && !rawText && held.starts_with("<!--");
            if (!startTag && !comment) {
                break;
            }
            const auto end = startTag ? HeldMarkup::startTagEnd(held, html, fed)
                                      : HeldMarkup::commentEnd(held, html, fed);
            input->cur = input->end;
            context->checkIndex = 0;
            if (startTag) {
                feed(end.bareTag);
            }
            feed(end.heldAfter);
            fed = end.notesAt;
        }
        return fed;
    }

    void stopOnceFull() {
        if (builder.isFull()) {
            stop();
        }
    }

    void stop() {
        if (!stopped) {
            stopped = true;
            xmlStopParser(context.get());
        }
    }

    ReleaseNotesBuilder& builder;
    const std::atomic<bool>& cancelled;
    std::unique_ptr<htmlParserCtxt, ContextFree> context;
    std::size_t reports = 0;
    bool stopped = false;
};

} // namespace

const std::atomic<bool> ReleaseNotes::notCancelled{false};

ReleaseNotes ReleaseNotes::read(std::string_view downloaded, const std::atomic<bool>& cancelled) {
    ReleaseNotes notes;
    notes.downloadedBytes_ = downloaded.size();
    ReleaseNotesBuilder builder(notes.blocks_, notes.links_);
    bool whole = true;
    if (looksLikeHtml(downloaded)) {
        // Once per process, before any thread parses.
        static const bool initialized = (xmlInitParser(), true);
        (void)initialized;
        whole = HtmlReading(builder, cancelled).read(wellFormedUtf8(downloaded));
    } else {
        builder.verbatim(downloaded);
    }
    if (!whole || builder.isFull()) {
        builder.cut();
    }
    return notes;
}

} // namespace update
