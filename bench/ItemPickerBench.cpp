// Opening the item picker on a large item catalogue: the server's database holds over 6,000 items,
// and the picker opens from a button click, so it should be on screen within about 100 ms.

#include "catalogue/Catalogues.h"
#include "ui/Form_Items.h"

#include <QApplication>
#include <QCoreApplication>

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

// Names in no particular order, so the picker has real sorting to do.
void FillItems(int count)
{
    BenchCatalogues().Clear();
    for (int i = 0; i < count; ++i) {
        auto item = std::make_unique<TItem>();
        item->ID = 501 + i;
        item->Name = "Item " + std::to_string((i * 7919) % count);
        item->Slots = i % 5 == 0 ? 2 : 0;
        item->Price = i * 10;
        item->Weight = i % 300;
        BenchCatalogues().Items.push_back(std::move(item));
    }
}

void BM_OpenItemPicker(benchmark::State& state)
{
    FillItems(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto* picker = new TItemForm((*Document().Servers()).For(DefaultTarget), Document().Encoding());
        picker->show();
        QCoreApplication::processEvents();  // layout and first paint
        delete picker;
    }
    state.counters["items"] = static_cast<double>(BenchCatalogues().Items.size());
    BenchCatalogues().Clear();
}
BENCHMARK(BM_OpenItemPicker)->Arg(6000)->Arg(12000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
