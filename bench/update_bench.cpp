// Release notes of an update on the offscreen platform: the worst notes a 2 MiB download can
// hold show within 100 ms on the main thread. The notes are read once, as the updater's worker
// does; each round times the main thread's part, the processor time of building the update
// window's document from them, laying it out and painting the view. A case whose 95th
// percentile passes the budget is an error, and the program then exits with 1.
#include "bench/OffscreenBenchmarkMain.h"
#include "ui/Updates/UpdateFoundWindow.h"
#include "update/ReleaseNotes.h"
#include "update/UpdateCycle.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QTextBrowser>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr double budgetMilliseconds = 100;
bool overBudget = false;

// `piece` over and over, as much as the largest notes hold.
std::string filled(std::string_view piece, std::string_view start = "") {
    std::string notes(start);
    while (notes.size() + piece.size() <= update::UpdateCycle::maxReleaseNotesBytes) {
        notes += piece;
    }
    return notes;
}

std::string repeated(std::string_view piece, int times) {
    std::string text;
    for (int time = 0; time < times; ++time) {
        text += piece;
    }
    return text;
}

double threadMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void showNotes(benchmark::State& state, const std::string& downloaded) {
    const auto notes = update::ReleaseNotes::read(downloaded);
    update::SUAppcastItem item;
    item.versionString = "2.0";
    item.releaseNotesURL = "https://example.test/notes.html";
    Parlowen::UpdateFoundWindow window(item, {}, "1.0", [](update::SPUUserUpdateChoice) {});
    window.show();
    auto* view = window.findChild<QTextBrowser*>("update.found.releaseNotes");
    QImage shown(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> samples;
    for (auto _ : state) {
        const auto start = threadMilliseconds();
        window.showReleaseNotes(notes);
        benchmark::DoNotOptimize(view->document()->documentLayout()->documentSize());
        view->viewport()->render(&shown);
        samples.push_back(threadMilliseconds() - start);
        state.SetIterationTime(samples.back() / 1e3);
    }
    std::sort(samples.begin(), samples.end());
    const auto p95 = samples[(samples.size() - 1) * 95 / 100];
    state.counters["p95_ms"] = p95;
    state.counters["characters"] = view->document()->characterCount();
    if (p95 > budgetMilliseconds) {
        overBudget = true;
        state.SkipWithError(("shown in " + std::to_string(p95) + " ms, over the budget").c_str());
    }
}

// The worst notes found: hostile markup, floods of what counts least, and words whose every
// character changes style, font or direction.
void registerCases() {
    const std::string smuggledTable = "\xC0&lt;table \xC0&gt;\xC0&lt;tr\xC0&gt;\xC0&lt;td\xC0&gt;";
    const std::pair<const char*, std::string> cases[] = {
        {"smuggled tables", filled(smuggledTable, "<p>")},
        {"line break flood", filled("<br>")},
        {"unbroken word", filled("x")},
        {"unbroken word of tiny styles", filled("<b>x</b><i>y</i>")},
        {"unbroken word of code and Hebrew", filled("<code>a</code>\xD7\x90")},
        {"10,000 nested tables", repeated("<table><tr><td>", 10000) + "Faster scans." +
                                     repeated("</td></tr></table>", 10000)},
        {"nested lists", filled("<ul><li><b>x ")},
        {"text of the deepest list", filled("x ", repeated("<ul><li>", 16))},
        {"tiny paragraphs", filled("<p>x")},
        {"tiny lists", filled("<ol><li>x</ol>")},
        {"tiny links", filled("<a href=\"https://example.test/\">x</a> ")},
        {"largest paragraphs", filled("<p>Scans of crowded menu bars are <b>faster</b>; see <a "
                                      "href=\"https://example.test/notes\">the notes</a>.</p>\n")},
    };
    for (const auto& [name, notes] : cases) {
        benchmark::RegisterBenchmark((std::string("BM_ReleaseNotes/") + name).c_str(),
                                     [notes](benchmark::State& state) { showNotes(state, notes); })
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(10);
    }
}

} // namespace

int main(int argc, char** argv) {
    const int status = runOffscreenBenchmarks(argc, argv, registerCases);
    return overBudget ? 1 : status;
}
