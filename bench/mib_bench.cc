// The in-memory MIB at a million rows: creating rows by set, random gets, and a get-next walk
// over one column. The populated table has a RowStatus column, an owner text, an integer and an
// IpAddress, the shape of a typical control table.

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "kx_host.h"
#include "kxrt/mib.h"

namespace {

constexpr uint32_t kRows = 1000000;
const kxrt::Oid kEntry = {1, 3, 6, 1, 4, 1, 9999, 2, 1};
constexpr uint32_t kEntryLength = 9;

kxrt::ColumnDef Column(uint32_t number, int32_t type, const char* defaultText = "") {
  kxrt::ColumnDef def;
  def.column = number;
  def.type = type;
  def.defaultText = defaultText;
  return def;
}

std::unique_ptr<kxrt::MemoryMib> MakeMib() {
  auto mib = std::make_unique<kxrt::MemoryMib>();
  kxrt::TableDef table;
  table.entry = kEntry;
  table.columns = {Column(1, KX_ASN_INTEGER), Column(2, KX_ASN_OCTET_STRING, "owner"),
                   Column(3, KX_ASN_INTEGER, "7"), Column(4, KX_ASN_IPADDRESS, "10.0.0.1")};
  table.statusColumn = 1;
  table.statusStyle = kxrt::StatusStyle::kRowStatus;
  std::string error;
  if (!mib->AddTable(table, &error)) std::fprintf(stderr, "%s\n", error.c_str());
  return mib;
}

// A binding named entry.column.index, ready for repeated use.
struct Instance {
  explicit Instance(uint32_t column) {
    KXVarBindInit(&vb);
    KXObjidRealloc(&vb.name, kEntryLength + 2);
    for (uint32_t i = 0; i < kEntryLength; ++i) vb.name.ids[i] = kEntry[i];
    vb.name.ids[kEntryLength] = column;
  }
  ~Instance() { KXVarBindFree(&vb); }
  void Index(uint32_t index) { vb.name.ids[kEntryLength + 1] = index; }
  KX_VARBIND_T vb;
};

void CreateRows(kxrt::MemoryMib& mib, uint32_t count) {
  Instance status(1);
  for (uint32_t index = 1; index <= count; ++index) {
    status.Index(index);
    KXVarBindSetType(&status.vb, KX_ASN_INTEGER);
    status.vb.value.integer = 4;  // createAndGo
    int errorStatus = 0;
    mib.Set(&status.vb, &errorStatus);
  }
}

long ResidentBytes() {
  long pages = 0, resident = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(statm);
  return resident * sysconf(_SC_PAGESIZE);
}

// One populated MIB shared by the read benchmarks.
kxrt::MemoryMib& Populated() {
  static kxrt::MemoryMib* mib = [] {
    auto made = MakeMib();
    CreateRows(*made, kRows);
    return made.release();
  }();
  return *mib;
}

void BM_SetCreateRows(benchmark::State& state) {
  long growth = 0;
  bool first = true;
  for (auto _ : state) {
    state.PauseTiming();
    auto mib = MakeMib();
    long before = ResidentBytes();
    state.ResumeTiming();
    CreateRows(*mib, kRows);
    state.PauseTiming();
    // Later rounds reuse the pages the first one freed, so only the first round's growth counts.
    if (first) growth = ResidentBytes() - before;
    first = false;
    mib.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  state.counters["resident_bytes_per_row"] = double(growth) / kRows;
}
BENCHMARK(BM_SetCreateRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SetExistingRow(benchmark::State& state) {
  kxrt::MemoryMib& mib = Populated();
  Instance owner(2);
  std::mt19937 random(1);
  std::uniform_int_distribution<uint32_t> pick(1, kRows);
  for (auto _ : state) {
    owner.Index(pick(random));
    KXVarBindSetType(&owner.vb, KX_ASN_OCTET_STRING);
    KXOctetStringSet(&owner.vb.value.octets, "admin");
    int errorStatus = 0;
    benchmark::DoNotOptimize(mib.Set(&owner.vb, &errorStatus));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetExistingRow);

void BM_GetRandomRow(benchmark::State& state) {
  kxrt::MemoryMib& mib = Populated();
  Instance value(3);
  std::mt19937 random(2);
  std::uniform_int_distribution<uint32_t> pick(1, kRows);
  for (auto _ : state) {
    value.Index(pick(random));
    benchmark::DoNotOptimize(mib.Get(&value.vb));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetRandomRow);

void BM_GetNextWalkColumn(benchmark::State& state) {
  kxrt::MemoryMib& mib = Populated();
  Instance cursor(2);
  uint64_t steps = 0;
  for (auto _ : state) {
    KXObjidRealloc(&cursor.vb.name, kEntryLength + 1);
    cursor.vb.name.ids[kEntryLength] = 2;
    while (true) {
      mib.GetNext(&cursor.vb);
      if (cursor.vb.value.type == KX_ASN_END_OF_MIB_VIEW || cursor.vb.name.ids[kEntryLength] != 2) {
        break;
      }
      ++steps;
    }
  }
  state.SetItemsProcessed(steps);
  state.counters["rows"] = double(steps) / state.iterations();
}
BENCHMARK(BM_GetNextWalkColumn)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
