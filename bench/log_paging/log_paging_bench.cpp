// Measures one page of LOG NXT and LOG PRV on a 100-record and on a 1,000,000-record event log:
// pages seek straight to their records, so both sizes should cost the same.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "service/logs/log_store.h"

namespace {

constexpr int64_t kBaseTime = 1036515849000;  // 2002-11-05

// One store per size, in its own temporary directory, removed at exit.
class LogFixture {
 public:
  explicit LogFixture(int64_t records) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "gw-bench.XXXXXX").string();
    dir_ = ::mkdtemp(tmpl.data()) ? tmpl : "";
    // Written in one stream: a million single appends would only time the set-up.
    std::ofstream out(dir_ + "/event", std::ios::binary);
    std::string chunk;
    for (int64_t i = 0; i < records; ++i) {
      chunk += gw::LogStore::eventRecordText(kBaseTime + i * 1000, static_cast<int>(i % 12));
      chunk += "\r\n";
      if (chunk.size() > (1 << 20)) {
        out << chunk;
        chunk.clear();
      }
    }
    out << chunk;
    out.close();
    store_ = std::make_unique<gw::LogStore>(dir_);
  }
  ~LogFixture() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  gw::LogStore& store() { return *store_; }

 private:
  std::string dir_;
  std::unique_ptr<gw::LogStore> store_;
};

LogFixture& fixture(int64_t records) {
  static std::map<int64_t, std::unique_ptr<LogFixture>> fixtures;
  auto& f = fixtures[records];
  if (!f) f = std::make_unique<LogFixture>(records);
  return *f;
}

// The newest page, as the client's newer-side cursor asks for it, and pages spread over the
// whole log, so that a page deep in a long file is measured too.
void BM_NextPage(benchmark::State& state) {
  const int64_t records = state.range(0);
  gw::LogStore& store = fixture(records).store();
  std::string out;
  int64_t step = 0;
  for (auto _ : state) {
    int64_t from = (step++ % 2 == 0) ? records - 50 : (step * 7919) % (records - 50);
    store.nextPage(gw::LOG_EVENT, from, &out);
    benchmark::DoNotOptimize(out.data());
  }
  if (out.find(' ') == std::string::npos) state.SkipWithError("page came back empty");
}

void BM_PreviousPage(benchmark::State& state) {
  const int64_t records = state.range(0);
  gw::LogStore& store = fixture(records).store();
  std::string out;
  int64_t step = 0;
  for (auto _ : state) {
    int64_t before = (step++ % 2 == 0) ? records : 50 + (step * 7919) % (records - 50);
    store.previousPage(gw::LOG_EVENT, before, &out);
    benchmark::DoNotOptimize(out.data());
  }
  if (out.find(' ') == std::string::npos) state.SkipWithError("page came back empty");
}

BENCHMARK(BM_NextPage)->Arg(100)->Arg(1000000)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_PreviousPage)->Arg(100)->Arg(1000000)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
