// The benchmarks: PNG decoding by vantrix and by four other decoders on three sets of
// pictures, the example game's XYZ face set decoded by vantrix's inflater and by zlib's, and
// whole conversions of a game's save, in one binary and one run.
//   vantrix_bench --data=FOLDER [--pngsuite=FOLDER] [--games=FOLDER] [benchmark flags]
// FOLDER is what make_bench_data wrote. After the runs a table gives each decoder's best
// MB/s of decoded RGBA output on each set and vantrix's ratio to each.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "decoders.hpp"
#include "platform/platform.hpp"
#include "vantrix/vantrix.hpp"
#include "xyz_zlib.hpp"

namespace {

namespace fs = std::filesystem;

struct Picture {
  std::string name;
  vantrix::Bytes bytes;
  std::size_t outputBytes = 0;  // width × height × 4
};

struct PictureSet {
  std::string name;
  std::vector<Picture> pictures;
  std::size_t outputBytes = 0;
};

// Every PNG of a folder whose name does not start with 'x' (PngSuite's must-fail files).
PictureSet loadSet(const std::string& name, const fs::path& folder) {
  PictureSet set{name, {}, 0};
  std::vector<fs::path> paths;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const std::string file = entry.path().filename().string();
    if (entry.path().extension() == ".png" && file[0] != 'x') paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  for (const fs::path& path : paths) {
    auto bytes = vantrix::platform::readFile(path.string());
    if (bytes) set.pictures.push_back({path.filename().string(), std::move(*bytes), 0});
  }
  return set;
}

// Decodes every picture with every decoder once: each must give its picture, and on the sets
// without 16-bit or transparency-keyed pictures every decoder must give vantrix's pixels.
bool checkDecoders(PictureSet& set, bool samePixels) {
  bool ok = true;
  for (Picture& picture : set.pictures) {
    bench::Decoded reference;
    for (const bench::Decoder& decoder : bench::decoders()) {
      bench::Decoded got = decoder.decode(picture.bytes);
      if (!got.pixels) {
        std::fprintf(stderr, "%s refuses %s/%s\n", decoder.name, set.name.c_str(),
                     picture.name.c_str());
        ok = false;
        continue;
      }
      const std::size_t rowBytes = std::size_t{got.width} * 4;
      if (!reference.pixels) {
        reference = got;
        picture.outputBytes = rowBytes * got.height;
        set.outputBytes += picture.outputBytes;
        continue;
      }
      if (got.width != reference.width || got.height != reference.height) {
        std::fprintf(stderr, "%s: size of %s/%s differs\n", decoder.name, set.name.c_str(),
                     picture.name.c_str());
        ok = false;
        continue;
      }
      if (!samePixels) continue;
      for (std::uint32_t y = 0; y < got.height; ++y) {
        if (std::memcmp(reference.pixels + y * rowBytes, got.pixels + y * rowBytes, rowBytes) !=
            0) {
          std::fprintf(stderr, "%s: pixels of %s/%s differ from vantrix's in row %u\n",
                       decoder.name, set.name.c_str(), picture.name.c_str(), y);
          ok = false;
          break;
        }
      }
    }
  }
  return ok;
}

void decodeSet(benchmark::State& state, const PictureSet* set, const bench::Decoder* decoder) {
  for (auto _ : state) {
    for (const Picture& picture : set->pictures) {
      bench::Decoded decoded = decoder->decode(picture.bytes);
      benchmark::DoNotOptimize(decoded.pixels);
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(set->outputBytes));
}

// An XYZ face set decoded to its palette indices and colours, by vantrix's own inflater (the
// library's decodeXyz) or by zlib's.
void decodeXyz(benchmark::State& state, const vantrix::Bytes* file, bool byZlib) {
  for (auto _ : state) {
    auto image = byZlib ? bench::decodeXyzByZlib(*file) : vantrix::decodeXyz(*file);
    benchmark::DoNotOptimize(image);
  }
}

// Both XYZ paths must give the same picture before they are timed.
bool sameXyzDecodes(const vantrix::Bytes& file) {
  const auto a = vantrix::decodeXyz(file);
  const auto b = bench::decodeXyzByZlib(file);
  return a && b && a->width == b->width && a->height == b->height && a->indices == b->indices &&
         a->palette == b->palette;
}

void convertGame(benchmark::State& state, const std::string& save, std::size_t faces) {
  for (auto _ : state) {
    vantrix::Conversion conversion = vantrix::convertSaveFile(save);
    benchmark::DoNotOptimize(conversion.document.data());
    if (conversion.status != vantrix::ConversionStatus::converted) {
      state.SkipWithError("the save does not convert");
      break;
    }
  }
  // The document must carry a bitmap for each face found in the game's FaceSet folder.
  const std::string document = vantrix::convertSaveFile(save).document;
  std::size_t bitmaps = 0;
  for (std::size_t at = 0; (at = document.find("<bitmap>", at)) != std::string::npos; ++at) {
    ++bitmaps;
  }
  if (bitmaps != faces) state.SkipWithError("the document lacks face bitmaps");
}

// The console report, and besides it the best result of each benchmark over its repetitions.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const std::string name = run.run_name.function_name;
      auto rate = run.counters.find("bytes_per_second");
      if (rate != run.counters.end()) {
        bestRate_[name] = std::max(bestRate_[name], static_cast<double>(rate->second));
      }
      const double seconds = run.GetAdjustedCPUTime() * timeUnitSeconds(run.time_unit);
      auto known = bestTime_.find(name);
      if (known == bestTime_.end() || seconds < known->second) bestTime_[name] = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  double rate(const std::string& name) const {
    auto found = bestRate_.find(name);
    return found == bestRate_.end() ? 0 : found->second;
  }
  double time(const std::string& name) const {
    auto found = bestTime_.find(name);
    return found == bestTime_.end() ? 0 : found->second;
  }

 private:
  static double timeUnitSeconds(benchmark::TimeUnit unit) {
    switch (unit) {
      case benchmark::kNanosecond:
        return 1e-9;
      case benchmark::kMicrosecond:
        return 1e-6;
      case benchmark::kMillisecond:
        return 1e-3;
      default:
        return 1;
    }
  }

  std::map<std::string, double> bestRate_;
  std::map<std::string, double> bestTime_;
};

void printTable(const TableReporter& reporter, const std::vector<PictureSet>& sets,
                const std::vector<std::pair<std::string, std::string>>& games,
                const std::string& xyzName) {
  const auto& decoders = bench::decoders();
  std::printf(
      "\nBest MB/s of RGBA output (CPU time), and vantrix's speed as a multiple of each:\n\n");
  std::printf("| set |");
  for (const auto& decoder : decoders)
    std::printf(" %s |", decoder.name);
  for (std::size_t i = 1; i < decoders.size(); ++i)
    std::printf(" ÷ %s |", decoders[i].name);
  std::printf("\n|---|");
  for (std::size_t i = 0; i < 2 * decoders.size() - 1; ++i)
    std::printf("---:|");
  std::printf("\n");
  for (const PictureSet& set : sets) {
    std::printf("| %s |", set.name.c_str());
    std::vector<double> rates;
    for (const auto& decoder : decoders) {
      rates.push_back(reporter.rate("png/" + set.name + "/" + decoder.name) / 1e6);
      std::printf(" %.0f |", rates.back());
    }
    for (std::size_t i = 1; i < rates.size(); ++i) {
      std::printf(" %.2f |", rates[i] > 0 ? rates[0] / rates[i] : 0.0);
    }
    std::printf("\n");
  }
  const double ours = reporter.time("xyz/vantrix"), theirs = reporter.time("xyz/zlib");
  std::printf("\nXYZ face set %s, best CPU time: vantrix %.1f µs, zlib's inflate %.1f µs (%.2f×)\n",
              xyzName.c_str(), ours * 1e6, theirs * 1e6, ours > 0 ? theirs / ours : 0.0);
  std::printf("\nWhole conversion in-process, best CPU time:\n\n");
  for (const auto& [name, save] : games) {
    std::printf("- %s: %.0f µs\n", name.c_str(), reporter.time("conversion/" + name) * 1e6);
  }
}

// Takes "--name=value" out of the arguments.
std::string takeOption(int& argc, char** argv, std::string_view name, std::string fallback) {
  const std::string prefix = "--" + std::string(name) + "=";
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]).substr(0, prefix.size()) == prefix) {
      std::string value = argv[i] + prefix.size();
      std::copy(argv + i + 1, argv + argc, argv + i);
      --argc;
      return value;
    }
  }
  return fallback;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path data = takeOption(argc, argv, "data", "");
  const fs::path pngsuite = takeOption(argc, argv, "pngsuite", VANTRIX_TEST_DATA "/pngsuite");
  const fs::path examples = takeOption(argc, argv, "examples", VANTRIX_SOURCE_DIR "/examples");
  benchmark::Initialize(&argc, argv);
  if (data.empty() || argc > 1) {
    std::fprintf(stderr,
                 "usage: vantrix_bench --data=FOLDER [--pngsuite=FOLDER] "
                 "[--examples=FOLDER] [benchmark flags]\n");
    return 2;
  }

  std::vector<PictureSet> sets = {loadSet("pngsuite", pngsuite),
                                  loadSet("faceset", data / "faceset"),
                                  loadSet("large", data / "large")};
  bool ok = true;
  for (PictureSet& set : sets) {
    if (set.pictures.empty()) {
      std::fprintf(stderr, "no pictures for the set %s\n", set.name.c_str());
      ok = false;
    }
    ok = checkDecoders(set, set.name != "pngsuite") && ok;
  }
  if (!ok) return 1;

  for (const PictureSet& set : sets) {
    for (const bench::Decoder& decoder : bench::decoders()) {
      benchmark::RegisterBenchmark(("png/" + set.name + "/" + decoder.name).c_str(), decodeSet,
                                   &set, &decoder)
          ->Unit(benchmark::kMicrosecond);
    }
  }
  const fs::path xyzPath = examples / "game" / "FaceSet" / "Spirits.xyz";
  const auto xyzFile = vantrix::platform::readFile(xyzPath.string());
  if (!xyzFile || !sameXyzDecodes(*xyzFile)) {
    std::fprintf(stderr, "%s: the two XYZ decodes differ or fail\n", xyzPath.c_str());
    return 1;
  }
  for (bool byZlib : {false, true}) {
    benchmark::RegisterBenchmark(byZlib ? "xyz/zlib" : "xyz/vantrix", decodeXyz, &*xyzFile, byZlib)
        ->Unit(benchmark::kMicrosecond);
  }

  const std::vector<std::pair<std::string, std::string>> games = {
      {"png-game", (data / "png-game" / "Save01.lsd").string()},
      {"palette-game", (data / "palette-game" / "Save01.lsd").string()},
      {"bmp-game", (data / "bmp-game" / "Save01.lsd").string()},
      {"xyz-game", (data / "xyz-game" / "Save01.lsd").string()},
      {"faceless-game", (data / "faceless-game" / "Save01.lsd").string()},
      {"cjk-game", (data / "cjk-game" / "Save01.lsd").string()},
      {"example-game", (examples / "game" / "Save01.lsd").string()},
  };
  // The made games have four faces from face sets, but the faceless one none; the example
  // game three of its four faces from face sets (one is a run-time face).
  const std::size_t faces[] = {4, 4, 4, 4, 0, 4, 3};
  for (std::size_t i = 0; i < games.size(); ++i) {
    benchmark::RegisterBenchmark(("conversion/" + games[i].first).c_str(), convertGame,
                                 games[i].second, faces[i])
        ->Unit(benchmark::kMicrosecond);
  }

  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  printTable(reporter, sets, games, xyzPath.filename().string());
  return 0;
}
