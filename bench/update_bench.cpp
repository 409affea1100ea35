// Release notes of an update on the offscreen platform, from the downloaded bytes to the notes
// laid out in the update window: hostile markup (25 and 10,000 levels of nested tables) and the
// largest notes allowed (2 MiB of paragraphs). Each at most 100 ms; the reading alone runs on
// the updater's worker, the rest on the main thread.
#include "bench/OffscreenBenchmarkMain.h"
#include "ui/Updates/UpdateFoundWindow.h"
#include "update/ReleaseNotes.h"
#include "update/UpdateCycle.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBrowser>

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string nestedTables(int depth) {
    std::string notes;
    for (int level = 0; level < depth; ++level) {
        notes += "<table><tr><td>";
    }
    notes += "Faster scans.";
    for (int level = 0; level < depth; ++level) {
        notes += "</td></tr></table>";
    }
    return notes;
}

std::string largestParagraphs() {
    std::string notes;
    while (notes.size() < update::UpdateCycle::maxReleaseNotesBytes - 128) {
        notes += "<p>Scans of crowded menu bars are <b>faster</b>; see <a "
                 "href=\"https://example.test/notes\">the notes</a>.</p>\n";
    }
    return notes;
}

void showNotes(benchmark::State& state, const std::string& downloaded) {
    update::SUAppcastItem item;
    item.versionString = "2.0";
    item.releaseNotesURL = "https://example.test/notes.html";
    Parlowen::UpdateFoundWindow window(item, {}, "1.0", [](update::SPUUserUpdateChoice) {});
    auto* view = window.findChild<QTextBrowser*>("update.found.releaseNotes");
    for (auto _ : state) {
        window.showReleaseNotes(update::ReleaseNotes::read(downloaded));
        benchmark::DoNotOptimize(view->document()->documentLayout()->documentSize());
    }
}

void BM_ReleaseNotes25NestedTables(benchmark::State& state) {
    showNotes(state, nestedTables(25));
}

void BM_ReleaseNotes10000NestedTables(benchmark::State& state) {
    showNotes(state, nestedTables(10000));
}

void BM_ReleaseNotesLargestAllowed(benchmark::State& state) {
    showNotes(state, largestParagraphs());
}

BENCHMARK(BM_ReleaseNotes25NestedTables)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReleaseNotes10000NestedTables)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReleaseNotesLargestAllowed)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return runOffscreenBenchmarks(argc, argv);
}
