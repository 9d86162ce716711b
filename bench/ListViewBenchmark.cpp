// Filling the security list for a directory of 5,000 securities, the price
// view of a security with 30,000 bars, and sorting each by a column, on the
// offscreen platform. Each should stay well under 100 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QTreeView>

#include <filesystem>

#include "CRightListView.h"
#include "DataDirBuilder.h"
#include "FixedClock.h"
#include "RecordingPrompt.h"
#include "StoreWriter.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

fs::path MakeBenchDirectory() {
    const fs::path dir = fs::temp_directory_path() / "corvane-bench-list";
    fs::remove_all(dir);
    std::vector<test::StoredSecurity> securities;
    for (int i = 0; i < 5000; ++i)
        securities.push_back({std::string("S").append(std::to_string((i * 7919) % 100000)),
                              std::string("SECURITY ").append(std::to_string(i)), 0});
    securities.push_back({"LONG", "THIRTY THOUSAND", 30000});
    test::MakeDataDir(dir, securities);
    return dir;
}

struct Fixture {
    test::RecordingPrompt prompt;
    test::FixedClock clock;
    CCorvaneDoc doc{prompt, clock};
    AppSettings settings;
    CRightListView list{doc, settings};
    fs::path dir = MakeBenchDirectory();

    Fixture() {
        fs::current_path(dir);
        list.resize(800, 600);
        list.show();
    }
    void SelectLong() {
        list.ReloadSecurityList();
        const int last = list.Model().rowCount() - 1;
        list.DetailsView().selectionModel()->select(
            list.Model().index(last, 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
};

Fixture& Shared() {
    static Fixture* fixture = new Fixture;
    return *fixture;
}

void BM_FillSecurityList(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        f.list.ReloadSecurityList();
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = f.list.Model().rowCount();
}
BENCHMARK(BM_FillSecurityList)->Unit(benchmark::kMillisecond);

void BM_SortSecurityList(benchmark::State& state) {
    Fixture& f = Shared();
    f.list.ReloadSecurityList();
    for (auto _ : state) {
        f.list.SortByColumn(static_cast<int>(state.range(0)));
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_SortSecurityList)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_PriceView(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        state.PauseTiming();
        f.SelectLong();
        state.ResumeTiming();
        f.list.ShowPrices();
        QCoreApplication::processEvents();
        state.PauseTiming();
        f.list.ShowSecurities();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PriceView)->Unit(benchmark::kMillisecond);

void BM_SortPriceView(benchmark::State& state) {
    Fixture& f = Shared();
    f.SelectLong();
    f.list.ShowPrices();
    for (auto _ : state) {
        f.list.SortByColumn(static_cast<int>(state.range(0)));
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = f.list.Model().rowCount();
    f.list.ShowSecurities();
}
BENCHMARK(BM_SortPriceView)->Arg(0)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
