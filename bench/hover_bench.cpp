// What the user waits for over revealed boxes, on Qt's offscreen platform: a
// hover over a content of 1,000, 100,000 and 1,048,573 characters (the
// handler alone, and with the repaint), each further move over it; and
// Restore and a page down with 145 boxes of 1,048,575 characters revealed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <map>
#include <string>

#include "base/unicode.h"
#include "fakes/fake_platform.h"
#include "mainwindow/entry_box.h"
#include "mainwindow/form1.h"
#include "mainwindow/vscroll_bar.h"

namespace {

using namespace quillo;

// Chinese and ASCII mixed, `length` characters (UTF-16 units) in all.
std::u16string mixedText(std::size_t length) {
    const std::u16string pattern = u"北京 Beijing ";  // 12 characters
    std::u16string text;
    text.reserve(length + pattern.size());
    while (text.size() < length) text += pattern;
    text.resize(length);
    return text;
}

// A form loaded from `entries` lines of a title and `contentLength`
// characters of content, and shown.
struct Fixture {
    Fixture(int entries, std::size_t contentLength) {
        const std::string content = toUtf8(mixedText(contentLength));
        std::string& data = fake.files.contents["data.txt"];
        for (int k = 1; k <= entries; ++k) {
            data += "长" + std::to_string(k) + "=" + content + "\r\n";
        }
        form = std::make_unique<Form1>(fake.platform);
        form->Form_Load();
        form->Text1_MouseMove(1);  // the whole content, as the box offers it
        if (!fake.windows.messages.empty() || form->entryCount() != entries ||
            form->Text1(1)->selectedWholeText().size() != static_cast<qsizetype>(contentLength)) {
            std::fprintf(stderr, "the data file did not load as expected\n");
            std::exit(1);
        }
        form->re_Click();
        form->show();
        QApplication::processEvents();
    }

    fakes::FakePlatform fake;
    std::unique_ptr<Form1> form;
};

// Made on first use, after the application object, and ended before it.
std::map<std::pair<int, std::size_t>, std::unique_ptr<Fixture>> fixtures;

Form1& formWith(int entries, std::size_t contentLength) {
    const std::pair key{entries, contentLength};
    if (!fixtures.contains(key)) {
        fixtures.clear();  // one large table at a time
        fixtures.emplace(key, std::make_unique<Fixture>(entries, contentLength));
    }
    return *fixtures.at(key)->form;
}

void checkWholeContentLeaves(benchmark::State& state, EntryBox& box, std::size_t length) {
    if (box.selectedWholeText().size() != static_cast<qsizetype>(length)) {
        state.SkipWithError("the box does not offer the whole content, selected");
    }
}

void hover(benchmark::State& state, bool paint) {
    const auto length = static_cast<std::size_t>(state.range(0));
    Form1& form = formWith(1, length);
    EntryBox& box = *form.Text1(1);
    for (auto _ : state) {
        // Each hover starts from the title, as the first one does for a user.
        state.PauseTiming();
        form.re_Click();
        if (paint) box.repaint();
        state.ResumeTiming();
        form.Text1_MouseMove(1);
        if (paint) box.repaint();
    }
    checkWholeContentLeaves(state, box, length);
}

void BM_Hover(benchmark::State& state) {
    hover(state, false);
}
void BM_HoverAndRepaint(benchmark::State& state) {
    hover(state, true);
}

// Every further movement over the box while it shows its content.
void BM_MoveOverRevealedBox(benchmark::State& state) {
    const auto length = static_cast<std::size_t>(state.range(0));
    Form1& form = formWith(1, length);
    form.Text1_MouseMove(1);
    for (auto _ : state) form.Text1_MouseMove(1);
    checkWholeContentLeaves(state, *form.Text1(1), length);
}

constexpr int kLargestTable = 145;
constexpr std::size_t kLargestContent = 1'048'575 - 4;  // with a title of 2 to 4 characters

void revealAll(Form1& form) {
    for (int k = 1; k <= form.entryCount(); ++k) form.Text1_MouseMove(k);
    form.repaint();
}

// Restore, and the window drawn again, with every box revealed.
void BM_RestoreAll145Revealed(benchmark::State& state) {
    Form1& form = formWith(kLargestTable, kLargestContent);
    for (auto _ : state) {
        state.PauseTiming();
        revealAll(form);
        state.ResumeTiming();
        form.re_Click();
        form.repaint();
    }
}

// One page down or up, and the window drawn again, with every box revealed.
void BM_PageWith145Revealed(benchmark::State& state) {
    Form1& form = formWith(kLargestTable, kLargestContent);
    revealAll(form);
    bool down = true;
    for (auto _ : state) {
        form.VScroll1()->triggerAction(down ? QAbstractSlider::SliderPageStepAdd
                                            : QAbstractSlider::SliderPageStepSub);
        form.repaint();
        down = !down;
    }
    checkWholeContentLeaves(state, *form.Text1(kLargestTable), kLargestContent);
}

}  // namespace

BENCHMARK(BM_Hover)->Arg(1000)->Arg(100'000)->Arg(1'048'573)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoverAndRepaint)
    ->Arg(1000)
    ->Arg(100'000)
    ->Arg(1'048'573)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveOverRevealedBox)
    ->Arg(1000)
    ->Arg(100'000)
    ->Arg(1'048'573)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RestoreAll145Revealed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageWith145Revealed)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // No screen is needed: Qt's offscreen platform paints into memory.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixtures.clear();
    return 0;
}
