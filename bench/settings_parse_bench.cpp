// The settings reader on a 1 MB settings file, against one fread of the same
// file and a plain scan of its bytes: the ratio is what reading the pairs
// into the map costs over raw I/O.
//
// The file holds many "&keyNNNNNN=valueNNNNNN&" lines ended by CR LF, with
// the "height" pair last so that the reader goes through all of it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/VellixTxtParser.h"
#include "text/Text.h"

namespace {

constexpr std::size_t kFileBytes = 1024 * 1024;

struct SettingsFile {
  std::string path;
  std::size_t bytes = 0;
  std::size_t pairs = 0;      // including "height"
  std::size_t ampersands = 0;
};

SettingsFile WriteSettingsFile(const std::filesystem::path& folder) {
  const std::string last = "&height=768&\r\n";
  std::string data;
  data.reserve(kFileBytes);
  std::size_t pairs = 0;
  char line[64];
  for (;;) {
    int n = std::snprintf(line, sizeof line, "&key%06zu=value%06zu&\r\n", pairs, pairs);
    if (data.size() + n + last.size() > kFileBytes) break;
    data.append(line, n);
    ++pairs;
  }
  data += last;
  ++pairs;

  SettingsFile file;
  file.path = (folder / "Page_Var.txt").string();
  file.bytes = data.size();
  file.pairs = pairs;
  file.ampersands = 2 * pairs;
  std::FILE* f = std::fopen(file.path.c_str(), "wb");
  if (!f || std::fwrite(data.data(), 1, data.size(), f) != data.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "settings_parse_bench: cannot write %s\n", file.path.c_str());
    std::exit(1);
  }
  return file;
}

void SettingsParse(benchmark::State& state, const SettingsFile& file) {
  const vellix::Text path = vellix::FromUtf8(file.path);
  for (auto _ : state) {
    vellix::VellixTxtParser parser;
    if (parser.Parse(path) != 0 || parser.Values().size() != file.pairs) {
      state.SkipWithError("the reader did not store every pair");
      break;
    }
    benchmark::DoNotOptimize(parser.Values().size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.bytes));
}

// One fread into one buffer, then a byte scan the compiler cannot drop.
void RawReadScan(benchmark::State& state, const SettingsFile& file) {
  std::vector<char> buffer;
  for (auto _ : state) {
    std::FILE* f = std::fopen(file.path.c_str(), "rb");
    if (!f) {
      state.SkipWithError("cannot open the settings file");
      break;
    }
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    buffer.assign(static_cast<std::size_t>(size) + 1, '\0');
    const std::size_t got = std::fread(buffer.data(), 1, static_cast<std::size_t>(size), f);
    std::fclose(f);
    std::size_t ampersands = 0;
    for (std::size_t i = 0; i < got; ++i) ampersands += buffer[i] == '&';
    if (ampersands != file.ampersands) {
      state.SkipWithError("the scan found the wrong number of pairs");
      break;
    }
    benchmark::DoNotOptimize(ampersands);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.bytes));
}

}  // namespace

int main(int argc, char** argv) {
  std::error_code ec;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("vellix_settings_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder, ec);
  const SettingsFile file = WriteSettingsFile(folder);

  benchmark::RegisterBenchmark("settings_parse", SettingsParse, file)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("raw_read_scan", RawReadScan, file)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  std::filesystem::remove_all(folder, ec);
  return 0;
}
