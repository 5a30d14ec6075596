// One hover over a box whose content is 100,000 characters long: the handler
// alone, and the handler with the repaint the user waits for.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/unicode.h"
#include "fakes/fake_platform.h"
#include "mainwindow/entry_box.h"
#include "mainwindow/form1.h"
#include "platform/system_services.h"

namespace {

using namespace quillo;

constexpr std::size_t kContentChars = 100'000;

std::filesystem::path writeDataFile() {
    std::string dir = std::filesystem::temp_directory_path() / "quillo-hover-XXXXXX";
    if (!mkdtemp(dir.data())) std::abort();
    const auto file = std::filesystem::path(dir) / "data.txt";
    std::string content;
    const std::string_view pattern = "北京 Beijing ";  // 12 characters
    while (content.size() < kContentChars) content += pattern;
    // The pattern is partly three bytes a character: cut by characters, not bytes.
    std::u16string text = fromUtf8(content);
    text.resize(kContentChars);
    std::ofstream(file, std::ios::binary) << "长文本=" << toUtf8(text) << "\r\n";
    return file;
}

// The form, loaded and shown once for all the benchmarks.
struct Fixture {
    Fixture() : dataFile(writeDataFile()) {
        form = std::make_unique<Form1>(platform, dataFile);
        form->Form_Load();
        if (!windows.messages.empty() || form->entryCount() != 1 ||
            form->entryTable()[1].content.size() != kContentChars) {
            std::fprintf(stderr, "the data file did not load as expected\n");
            std::exit(1);
        }
        form->show();
        QApplication::processEvents();
    }
    ~Fixture() {
        form.reset();
        std::error_code ec;
        std::filesystem::remove_all(dataFile.parent_path(), ec);
    }

    SystemServices services = makeSystemServices();
    fakes::FakeProcesses processes;
    fakes::FakeWindowSystem windows;
    Platform platform{*services.codec, *services.files, processes, *services.registry, windows};
    std::filesystem::path dataFile;
    std::unique_ptr<Form1> form;
};

// Made on first use, after the application object, and ended before it.
std::unique_ptr<Fixture> theFixture;

Fixture& fixture() {
    if (!theFixture) theFixture = std::make_unique<Fixture>();
    return *theFixture;
}

void hover(benchmark::State& state, bool paint) {
    Form1& form = *fixture().form;
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
    if (box.text().size() != static_cast<qsizetype>(kContentChars)) {
        state.SkipWithError("the box does not hold the whole content");
    }
}

// Every further movement over the box while it shows its content.
void BM_MoveOverRevealedBox_100000Chars(benchmark::State& state) {
    Form1& form = *fixture().form;
    form.Text1_MouseMove(1);
    for (auto _ : state) form.Text1_MouseMove(1);
    if (form.Text1(1)->selectedText().size() != static_cast<qsizetype>(kContentChars)) {
        state.SkipWithError("the box does not hold the whole content, selected");
    }
}

void BM_Hover_100000Chars(benchmark::State& state) {
    hover(state, false);
}
void BM_HoverAndRepaint_100000Chars(benchmark::State& state) {
    hover(state, true);
}

}  // namespace

BENCHMARK(BM_Hover_100000Chars)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoverAndRepaint_100000Chars)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveOverRevealedBox_100000Chars)->Unit(benchmark::kMicrosecond);

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
    theFixture.reset();
    return 0;
}
