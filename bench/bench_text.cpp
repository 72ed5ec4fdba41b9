// LIBS: q3text
// Text selection and apply-texts: the cost of one selection of a prepared
// string, of a cached literal through ml(), of a first preparation, and of
// one whole apply-texts pass into a target that does nothing. The counter
// "allocs" is the number of heap allocations per iteration.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "text/mstring.h"
#include "text/ui_texts.h"

namespace {
std::atomic<long> g_allocs{0};
}

void* operator new(std::size_t n) {
  g_allocs.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

const char kText[] = "###Read error !##Lesefehler !##Chyba čtení !";

void reportAllocs(benchmark::State& state, long before) {
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(g_allocs.load() - before),
                                                benchmark::Counter::kAvgIterations);
}

void BM_SelectPrepared(benchmark::State& state) {
  char buf[sizeof kText];
  std::memcpy(buf, kText, sizeof kText);
  q3::selectText(buf, 0);
  int lang = 0;
  const long before = g_allocs.load();
  for (auto _ : state) {
    benchmark::DoNotOptimize(q3::selectText(buf, lang));
    lang = (lang + 1) % 3;
  }
  reportAllocs(state, before);
}
BENCHMARK(BM_SelectPrepared);

void BM_MlCachedLiteral(benchmark::State& state) {
  q3::ml(kText, 0);
  int lang = 0;
  const long before = g_allocs.load();
  for (auto _ : state) {
    benchmark::DoNotOptimize(q3::ml(kText, lang));
    lang = (lang + 1) % 3;
  }
  reportAllocs(state, before);
}
BENCHMARK(BM_MlCachedLiteral);

void BM_PrepareAndSelect(benchmark::State& state) {
  char buf[sizeof kText];
  for (auto _ : state) {
    std::memcpy(buf, kText, sizeof kText);
    benchmark::DoNotOptimize(q3::selectText(buf, 2));
  }
}
BENCHMARK(BM_PrepareAndSelect);

class NullTarget : public q3::TextTarget {
 public:
  void setMenuCaption(const char*, const char* t) override { benchmark::DoNotOptimize(t); }
  void setCaption(const char*, const char* t) override { benchmark::DoNotOptimize(t); }
  void setItems(const char*, const char* t) override { benchmark::DoNotOptimize(t); }
  void setHint(const char*, const char* t) override { benchmark::DoNotOptimize(t); }
  void setChecked(const char*, bool) override {}
  void setVisible(const char*, bool) override {}
};

void BM_ApplyTextsTables(benchmark::State& state) {
  NullTarget target;
  const long before = g_allocs.load();
  for (auto _ : state) q3::applyTexts(target, 0);
  reportAllocs(state, before);
}
BENCHMARK(BM_ApplyTextsTables);

}  // namespace

BENCHMARK_MAIN();
