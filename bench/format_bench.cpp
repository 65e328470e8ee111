// Times whole conversions to each picture format, side by side with libvips and GDAL writing the
// same picture to the same format.
//
// For each size (default 3000 and 5500) make_sample makes a square 16-bit infrared source (the
// picture is wider than the source: the sample area spans more longitude than latitude), nephrax
// converts it to a BMP without overlays (a setup file turns the grid, the coastlines and the
// caption off), and the BMP's grey picture becomes a PGM file. Then, for each format,
// three programs run several times each: nephrax from the source file, `vips <format>save` and
// `gdal_translate` from the PGM. Reported: the best wall time, the processor time (user + system)
// of that run, the peak resident memory and the file size; for nephrax also the share of the
// writer: its wall time less that of a run that reads and draws the same picture but writes
// nothing (an ".emf" destination, which the program refuses once the picture is drawn). The
// formats are set up alike: JPEG
// at quality 90, TIFF with Deflate, JPEG 2000 lossless, PNG and GIF at the tools' defaults. The
// lossless pictures of nephrax are read back with GDAL and compared with the BMP.
//
//   build/bin/format_bench [--runs N] [SIZE...]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_info.h"
#include "support/bmp_file.h"
#include "support/source_file_builder.h"

extern char** environ;

namespace {

using nephrax::testing::BmpFile;

struct ChildRun {
  int status = -1;  // the exit status, or -1 when the program did not start or did not exit
  bool succeeded = false;
  double seconds = 0;      // wall time
  double cpu_seconds = 0;  // user + system time
  double peak_megabytes = 0;
};

double Seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// Runs the command (argv[0] a path or a program on PATH) with its output thrown away; it has
// succeeded when it exits with `expected_status`.
ChildRun Run(const std::vector<std::string>& command, int expected_status = 0) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  ChildRun run;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpu_seconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  run.peak_megabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.succeeded = run.status == expected_status;
  return run;
}

// The run with the best wall time, and the highest peak of all runs.
ChildRun Best(const std::vector<std::string>& command, int runs, int expected_status = 0) {
  ChildRun best;
  best.seconds = 1e300;
  double peak = 0;
  for (int i = 0; i < runs; ++i) {
    const ChildRun run = Run(command, expected_status);
    if (!run.succeeded) return run;
    if (run.seconds < best.seconds) best = run;
    peak = std::max(peak, run.peak_megabytes);
  }
  best.peak_megabytes = peak;
  return best;
}

double FileMegabytes(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? static_cast<double>(status.st_size) / 1e6 : 0;
}

// The grey picture of the BMP (every pixel's green) as a binary PGM; false when a pixel is not
// grey.
bool WriteGreyPgm(const BmpFile& bmp, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P5\n" << bmp.width << " " << bmp.height << "\n255\n";
  std::vector<char> line(static_cast<size_t>(bmp.width));
  for (int32_t y = 0; y < bmp.height; ++y) {
    for (int32_t x = 0; x < bmp.width; ++x) {
      const nephrax::Colour colour = bmp.Pixel(x, y);
      if (colour.red != colour.green || colour.green != colour.blue) return false;
      line[static_cast<size_t>(x)] = static_cast<char>(colour.green);
    }
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
  }
  return static_cast<bool>(out);
}

// Reads a binary PGM (P5) or PPM (P6) as written by GDAL; none when it is neither.
struct Pnm {
  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 0;
  std::vector<uint8_t> samples;
};

std::optional<Pnm> ReadPnm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maximum = 0;
  Pnm pnm;
  in >> magic >> pnm.width >> pnm.height >> maximum;
  in.get();
  if (!in || (magic != "P5" && magic != "P6") || maximum != 255) return std::nullopt;
  pnm.channels = magic == "P5" ? 1 : 3;
  pnm.samples.resize(static_cast<size_t>(pnm.width) * static_cast<size_t>(pnm.height) *
                     static_cast<size_t>(pnm.channels));
  in.read(reinterpret_cast<char*>(pnm.samples.data()),
          static_cast<std::streamsize>(pnm.samples.size()));
  if (!in) return std::nullopt;
  return pnm;
}

// Whether GDAL reads the picture back as exactly the BMP's pixels; palettes are expanded.
bool SameAsBmp(const std::string& picture, const std::string& bmp_path,
               const std::string& scratch) {
  if (!Run({"gdal_translate", "-q", "-of", "PNM", "-expand", "rgb", picture, scratch}).succeeded &&
      !Run({"gdal_translate", "-q", "-of", "PNM", picture, scratch}).succeeded) {
    return false;
  }
  const std::optional<Pnm> pnm = ReadPnm(scratch);
  std::remove(scratch.c_str());
  const BmpFile bmp = nephrax::testing::ReadBmpFile(bmp_path);
  if (!pnm || pnm->width != bmp.width || pnm->height != bmp.height) return false;
  const size_t channels = static_cast<size_t>(pnm->channels);
  for (int32_t y = 0; y < bmp.height; ++y) {
    for (int32_t x = 0; x < bmp.width; ++x) {
      const nephrax::Colour colour = bmp.Pixel(x, y);
      const uint8_t* sample =
          &pnm->samples[(static_cast<size_t>(y) * static_cast<size_t>(bmp.width) +
                         static_cast<size_t>(x)) *
                        channels];
      const bool same =
          channels == 1
              ? sample[0] == colour.red && colour.red == colour.green && colour.green == colour.blue
              : sample[0] == colour.red && sample[1] == colour.green && sample[2] == colour.blue;
      if (!same) return false;
    }
  }
  return true;
}

struct Format {
  const char* extension;
  bool lossless;
  std::vector<std::string> vips;  // the operation and its options
  std::vector<std::string> gdal;  // driver and creation options
};

const std::vector<Format> kFormats{
    {"png", true, {"pngsave"}, {"-of", "PNG"}},
    {"jpg", false, {"jpegsave", "--Q", "90"}, {"-of", "JPEG", "-co", "QUALITY=90"}},
    {"gif", true, {"gifsave"}, {"-of", "GIF"}},
    {"jp2",
     true,
     {"jp2ksave", "--lossless"},
     {"-of", "JP2OpenJPEG", "-co", "REVERSIBLE=YES", "-co", "QUALITY=100"}},
    {"tif",
     true,
     {"tiffsave", "--compression", "deflate"},
     {"-of", "GTiff", "-co", "COMPRESS=DEFLATE"}},
};

// One line of the table; `baseline` is the wall time of the run that writes nothing, for the
// writer's share of a nephrax run (none for the other programs).
void PrintRow(const char* format, const char* tool, const ChildRun& run,
              std::optional<double> baseline, double megabytes, const char* identical) {
  if (!run.succeeded) {
    std::printf("%-6s %-16s %8s\n", format, tool, "failed");
    return;
  }
  std::array<char, 16> writer{};
  if (baseline) std::snprintf(writer.data(), writer.size(), "%.3f", run.seconds - *baseline);
  std::printf("%-6s %-16s %8.3f %8.3f %9s %9.1f %9.2f  %s\n", format, tool, run.seconds,
              run.cpu_seconds, writer.data(), run.peak_megabytes, megabytes, identical);
}

// The steps that hold whole pictures run in child processes of their own (this program with
// --pgm or --same): a child's peak memory counts the memory of the process it was started from.
constexpr const char* kMakePgm = "--pgm";
constexpr const char* kCompare = "--same";

// Converts one source of side x side points to every format with the three programs.
bool BenchSize(const std::string& self, const std::string& bin,
               const nephrax::testing::TempDir& dir, int side, int runs) {
  const std::string source = dir.File("source.ir");
  const std::string bmp_path = dir.File("picture.bmp");
  const std::string pgm = dir.File("picture.pgm");
  const std::string setup = "-s=" + dir.File("greys.ini");
  std::ofstream(dir.File("greys.ini")) << "[NEPHRAX]\nGrid=OFF\nMap=OFF\nDtm=-1\n";
  const std::string text = std::to_string(side);
  if (!Run({bin + "make_sample", source, "--width", text, "--height", text}).succeeded ||
      !Run({bin + "nephrax", setup, source, bmp_path}).succeeded ||
      !Run({self, kMakePgm, bmp_path, pgm}).succeeded) {
    std::fprintf(stderr, "making the %d x %d source, its BMP or its PGM failed\n", side, side);
    return false;
  }
  std::printf("\n%d x %d source; best of %d runs\n", side, side, runs);
  std::printf("%-6s %-16s %8s %8s %9s %9s %9s  %s\n", "format", "program", "wall s", "cpu s",
              "writer s", "peak MB", "file MB", "same as BMP");
  const ChildRun drawn = Best({bin + "nephrax", setup, source, dir.File("nothing.emf")}, runs, 1);
  PrintRow("none", "nephrax", drawn, std::nullopt, 0, "");
  if (!drawn.succeeded) return false;
  const ChildRun bmp_run = Best({bin + "nephrax", setup, source, bmp_path}, runs);
  PrintRow("bmp", "nephrax", bmp_run, drawn.seconds, FileMegabytes(bmp_path), "");
  for (const Format& format : kFormats) {
    const std::string ours = dir.File(std::string("nephrax.") + format.extension);
    const ChildRun run = Best({bin + "nephrax", setup, source, ours}, runs);
    const char* identical = !format.lossless ? ""
                            : Run({self, kCompare, ours, bmp_path, dir.File("check.pnm")}).succeeded
                                ? "yes"
                                : "NO";
    PrintRow(format.extension, "nephrax", run, drawn.seconds, FileMegabytes(ours), identical);

    const std::string by_vips = dir.File(std::string("vips.") + format.extension);
    std::vector<std::string> vips{"vips", format.vips[0], pgm, by_vips};
    vips.insert(vips.end(), format.vips.begin() + 1, format.vips.end());
    const ChildRun vips_run = Best(vips, runs);
    PrintRow(format.extension, "vips", vips_run, std::nullopt, FileMegabytes(by_vips), "");

    const std::string by_gdal = dir.File(std::string("gdal.") + format.extension);
    std::vector<std::string> gdal{"gdal_translate", "-q"};
    gdal.insert(gdal.end(), format.gdal.begin(), format.gdal.end());
    gdal.insert(gdal.end(), {pgm, by_gdal});
    const ChildRun gdal_run = Best(gdal, runs);
    PrintRow(format.extension, "gdal_translate", gdal_run, std::nullopt, FileMegabytes(by_gdal),
             "");
    for (const std::string& path : {ours, by_vips, by_gdal}) std::remove(path.c_str());
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv, argv + argc);
  if (argc == 4 && arguments[1] == kMakePgm) {
    return WriteGreyPgm(nephrax::testing::ReadBmpFile(arguments[2]), arguments[3]) ? 0 : 1;
  }
  if (argc == 5 && arguments[1] == kCompare) {
    return SameAsBmp(arguments[2], arguments[3], arguments[4]) ? 0 : 1;
  }
  const std::string bin = nephrax::ProgramDirectory(argv[0]);
  const std::string self = bin + "format_bench";
  int runs = 3;
  std::vector<int> sides;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      sides.push_back(std::atoi(argv[i]));
    }
  }
  if (sides.empty()) sides = {3000, 5500};
  const nephrax::testing::TempDir dir;
  for (const int side : sides) {
    if (!BenchSize(self, bin, dir, side, runs)) return 1;
  }
  return 0;
}
