// How fast the configurator creates rows from console lines, writes a table out and replays it.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "korvax/configurator.h"
#include "kxrt/console.h"
#include "kxrt/log.h"
#include "kxrt/mib.h"

namespace {

constexpr char kEntry[] = "1.3.6.1.4.1.4242.1.1";

// A RowStatus table of name, count, owner and status, and its configurator.
struct Fixture {
  Fixture() {
    kxrt::SetCurrentMib(&mib);
    kxrt::TableDef def;
    def.entry = {1, 3, 6, 1, 4, 1, 4242, 1, 1};
    auto column = [](uint32_t n, int32_t type) {
      kxrt::ColumnDef c;
      c.column = n;
      c.type = type;
      return c;
    };
    def.columns = {column(2, KX_ASN_OCTET_STRING), column(3, KX_ASN_INTEGER),
                   column(5, KX_ASN_OCTET_STRING), column(6, KX_ASN_INTEGER)};
    def.statusColumn = 6;
    def.statusStyle = kxrt::StatusStyle::kRowStatus;
    std::string error;
    if (!mib.AddTable(def, &error)) abort();
    tbl.reset(korvax::IConfigurator::Create("tbl", "bench", kEntry,
                                            korvax::IConfigurator::eRowStatus, 6, 5));
    tbl->AddStrCol(2, "name", "n");
    tbl->AddIntCol(3, "count", "c");
    tbl->Register();
  }
  ~Fixture() {
    tbl.reset();
    kxrt::SetCurrentMib(nullptr);
  }
  void CreateRows(int rows) {
    for (int i = 1; i <= rows; ++i) {
      kxrt::Console::Instance().Execute("tbl index=" + std::to_string(i) + " name=row" +
                                        std::to_string(i) + " count=" + std::to_string(i) +
                                        " owner=cfg create");
    }
  }

  kxrt::LogCapture quiet;
  kxrt::MemoryMib mib;
  std::unique_ptr<korvax::IConfigurator> tbl;
};

// Rows created by console lines, each at a requested index.
void BM_CreateRowsByCommand(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Fixture f;
    f.CreateRows(rows);
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_CreateRowsByCommand)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A new row at the first free index each time: the free-index search walks the used ones.
void BM_CreateRowsAtFreeIndex(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Fixture f;
    for (int i = 0; i < rows; ++i) kxrt::Console::Instance().Execute("tbl owner=cfg create");
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_CreateRowsAtFreeIndex)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

// WritePrimitiveState over a table of rows.
void BM_WriteTable(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  Fixture f;
  f.CreateRows(rows);
  size_t bytes = 0;
  for (auto _ : state) {
    char* data = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&data, &size);
    f.tbl->WritePrimitiveState(out);
    fclose(out);
    bytes = size;
    free(data);
  }
  state.SetItemsProcessed(state.iterations() * rows);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_WriteTable)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A saved table replayed through the console into an empty MIB.
void BM_ReplayTable(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const std::string path = "/tmp/korvax_bench_replay.cfg";
  {
    Fixture f;
    f.CreateRows(rows);
    FILE* out = fopen(path.c_str(), "w");
    f.tbl->WritePrimitiveState(out);
    fclose(out);
  }
  for (auto _ : state) {
    Fixture f;
    korvax::IConfigurator::ApplyConfig(path.c_str());
  }
  remove(path.c_str());
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_ReplayTable)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
