// Reading and writing data packets of the size a busy day's verification or
// a large head-office table gives.
#include <benchmark/benchmark.h>

#include "platform/dataset/dataset.h"

namespace {

using namespace tavrix::dataset;

std::string samplePacket(int rows) {
  DataSet ds;
  ds.open({{"SAL_DATE", FieldType::String, 10},
           {"SAL_NO", FieldType::String, 10},
           {"PROD_NAME", FieldType::String, 40},
           {"QTY", FieldType::Bcd, 15, 2},
           {"AMT", FieldType::Double},
           {"N", FieldType::Int32},
           {"CHG", FieldType::Timestamp},
           {"NOTE", FieldType::Memo}});
  for (int i = 0; i < rows; ++i)
    ds.appendRecord({Value::text("2018/03/15"), Value::text(std::to_string(100000 + i)),
                     Value::text("\xB3\x5C\xA5\x5C\xBB\x5C test & more"),
                     Value::decimal({i * 25, 2}), Value::floating(i / 3.0), Value::integer(i),
                     Value::dateTime({{2018, 3, 15}, {12, 34, 56, 0}}),
                     i % 2 ? Value() : Value::text("line\r\nline")});
  return ds.toPacket();
}

void LoadPacket(benchmark::State& state) {
  std::string packet = samplePacket(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    DataSet ds;
    ds.loadFromPacket(packet);
    benchmark::DoNotOptimize(ds.recordCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * packet.size()));
}
BENCHMARK(LoadPacket)->Arg(1)->Arg(10000);

void WritePacket(benchmark::State& state) {
  DataSet ds;
  ds.loadFromPacket(samplePacket(static_cast<int>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(ds.toPacket());
}
BENCHMARK(WritePacket)->Arg(1)->Arg(10000);

}  // namespace
