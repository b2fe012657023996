// Speed and size of the WIF2 codec on real photographs and on a 16-megapixel mosaic built from
// them, beside libjpeg-turbo measured in the same run at similar bits per pixel.
//
//   wif_bench [--quick]          the full table (--quick: fewer repeats)
//   wif_bench --mosaic           only the mosaic at about 1.5 bits per pixel
//   wif_bench --converter [VUCONVERT]
//                                whole-process speed of the converter on the mosaic (PPM copy,
//                                PPM to WIF, WIF to PPM) beside cjpeg and djpeg at a similar size
//   wif_bench --write-mosaic F   writes the mosaic as a PPM file
//   wif_bench --decode-memory F  decodes WIF file F through the WIF reader and prints its peak
//                                memory (used by the table in a child process)
#include <cstddef>
#include <cstdio>

#include <fcntl.h>
#include <jpeglib.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "codec/wif2/vuWifDecoder.h"
#include "codec/wif2/vuWifEncoder.h"
#include "imagelib/vuImage.h"

namespace {

struct Picture {
  std::string name;
  int width = 0;
  int height = 0;
  int colour = 0;
  std::vector<uint8_t> pixels; // packed rows, memory order (blue, green, red for colour)
  int64_t RowBytes() const { return int64_t(width) * (colour ? 3 : 1); }
  double Megapixels() const { return double(width) * height / 1e6; }
};

bool LoadSample(const std::string& file, Picture* p) {
  vuImage image;
  if (image.LoadImage((std::string(VU_SAMPLES_DIR) + "/" + file).c_str()) != 0) return false;
  p->name = file;
  p->width = image.Width();
  p->height = image.Height();
  p->colour = image.format == BM_24BIT;
  p->pixels.resize(size_t(p->RowBytes()) * p->height);
  for (int y = 0; y < p->height; ++y)
    std::memcpy(&p->pixels[size_t(y) * p->RowBytes()], image.Row(y), size_t(p->RowBytes()));
  image.Delete();
  return true;
}

// A colour mosaic of at least 16 megapixels: the colour samples side by side, every other copy
// mirrored, so no two neighbouring tiles are alike.
Picture Mosaic(const std::vector<Picture>& sources, int width, int height) {
  Picture m;
  m.name = "mosaic";
  m.width = width;
  m.height = height;
  m.colour = 1;
  m.pixels.resize(size_t(m.RowBytes()) * height);
  int y0 = 0, row = 0;
  while (y0 < height) {
    int x0 = 0, index = row;
    int rowHeight = 0;
    while (x0 < width) {
      const Picture& s = sources[size_t(index) % sources.size()];
      const bool mirror = (index + row) % 2 == 1;
      const int w = std::min(s.width, width - x0);
      const int h = std::min(s.height, height - y0);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const int sx = mirror ? s.width - 1 - x : x;
          std::memcpy(&m.pixels[(size_t(y0 + y) * width + x0 + x) * 3],
                      &s.pixels[(size_t(y) * s.width + sx) * 3], 3);
        }
      rowHeight = std::max(rowHeight, h);
      x0 += w;
      ++index;
    }
    y0 += rowHeight;
    ++row;
  }
  return m;
}

double Psnr(const Picture& a, const std::vector<uint8_t>& b) {
  double se = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    const double d = double(a.pixels[i]) - b[i];
    se += d * d;
  }
  if (se == 0) return 99.99;
  return 10 * std::log10(255.0 * 255.0 / (se / double(a.pixels.size())));
}

// The processor time of this thread: other programs sharing the machine do not count.
double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + t.tv_nsec * 1e-9;
}

double Seconds(const std::function<void()>& f, int repeats) {
  double best = 1e30;
  for (int i = 0; i < repeats; ++i) {
    const double t0 = ThreadSeconds();
    f();
    best = std::min(best, ThreadSeconds() - t0);
  }
  return best;
}

struct Result {
  double bpp = 0, psnr = 0, encodeMps = 0, decodeMps = 0;
  std::vector<uint8_t> file;
};

double WallSeconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + t.tv_nsec * 1e-9;
}

// Processor time of this thread, or wall time (to compare thread counts).
double Seconds(const std::function<void()>& f, int repeats, bool wall) {
  if (!wall) return Seconds(f, repeats);
  double best = 1e30;
  for (int i = 0; i < repeats; ++i) {
    const double t0 = WallSeconds();
    f();
    best = std::min(best, WallSeconds() - t0);
  }
  return best;
}

Result RunWif(const Picture& p, int quality, bool fast, bool tiled, int repeats, int threads = 1,
              bool wall = false) {
  vuWifParams params;
  params.width = p.width;
  params.height = p.height;
  params.quality = quality;
  params.levels = 5;
  params.colour = p.colour;
  params.fastFilter = fast;
  params.tiled = tiled;
  params.tileWidth = tiled ? 256 : p.width;
  params.tileHeight = tiled ? 256 : p.height;
  Result r;
  const double encode = Seconds(
      [&] {
        r.file.clear();
        vuWifEncoder encoder(p.pixels.data(), p.RowBytes(), &r.file, params);
        encoder.SetThreads(threads);
        encoder.EncodeAll();
      },
      repeats, wall);
  std::vector<uint8_t> out(p.pixels.size());
  const double decode = Seconds(
      [&] {
        vuWifByteSource source{r.file.data(), r.file.size(), 0};
        vuWifDecoder decoder;
        decoder.Create(&source);
        decoder.BindWithStride(out.data(), p.RowBytes());
        decoder.SetThreads(threads);
        decoder.DecodeAll();
      },
      repeats, wall);
  r.bpp = r.file.size() * 8.0 / (double(p.width) * p.height);
  r.psnr = Psnr(p, out);
  r.encodeMps = p.Megapixels() / encode;
  r.decodeMps = p.Megapixels() / decode;
  return r;
}

std::vector<uint8_t> JpegEncode(const Picture& p, int quality) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = JDIMENSION(p.width);
  c.image_height = JDIMENSION(p.height);
  c.input_components = p.colour ? 3 : 1;
  c.in_color_space = p.colour ? JCS_EXT_BGR : JCS_GRAYSCALE;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&p.pixels[size_t(c.next_scanline) * p.RowBytes()]);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> out(buffer, buffer + size);
  free(buffer);
  return out;
}

void JpegDecode(const std::vector<uint8_t>& file, const Picture& p, std::vector<uint8_t>* out) {
  jpeg_decompress_struct d;
  jpeg_error_mgr err;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, file.data(), (unsigned long)file.size());
  jpeg_read_header(&d, TRUE);
  d.out_color_space = p.colour ? JCS_EXT_BGR : JCS_GRAYSCALE;
  jpeg_start_decompress(&d);
  out->resize(p.pixels.size());
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = &(*out)[size_t(d.output_scanline) * p.RowBytes()];
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
}

// libjpeg-turbo at the quality whose size comes closest to `bpp`.
Result RunJpegAt(const Picture& p, double bpp, int repeats, int* chosen) {
  int low = 1, high = 100;
  while (low < high) {
    const int mid = (low + high + 1) / 2;
    const double b = JpegEncode(p, mid).size() * 8.0 / (double(p.width) * p.height);
    if (b <= bpp)
      low = mid;
    else
      high = mid - 1;
  }
  // The closer of low and low + 1.
  int q = low;
  if (q < 100) {
    const double a = JpegEncode(p, q).size() * 8.0 / (double(p.width) * p.height);
    const double b = JpegEncode(p, q + 1).size() * 8.0 / (double(p.width) * p.height);
    if (std::fabs(b - bpp) < std::fabs(a - bpp)) q = q + 1;
  }
  *chosen = q;
  Result r;
  const double encode = Seconds([&] { r.file = JpegEncode(p, q); }, repeats);
  std::vector<uint8_t> out;
  const double decode = Seconds([&] { JpegDecode(r.file, p, &out); }, repeats);
  r.bpp = r.file.size() * 8.0 / (double(p.width) * p.height);
  r.psnr = Psnr(p, out);
  r.encodeMps = p.Megapixels() / encode;
  r.decodeMps = p.Megapixels() / decode;
  return r;
}

long PeakKilobytes() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

int DecodeMemory(const char* file) {
  const long before = PeakKilobytes();
  vuImage image;
  const int result = image.LoadImage(file);
  if (result != 0) {
    std::printf("cannot decode %s (%d)\n", file, result);
    return 1;
  }
  const long after = PeakKilobytes();
  const double imageKb = double(image.Stride()) * image.Height() / 1024.0;
  std::printf("%ld %ld %.0f\n", before, after, imageKb);
  image.Delete();
  return 0;
}

// Runs this program on a WIF file in a child process: peak memory growth while decoding.
void ReportDecodeMemory(const Picture& p, int quality, bool tiled) {
  Result r = RunWif(p, quality, false, tiled, 1);
  char name[] = "/tmp/wif_bench_XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) return;
  if (write(fd, r.file.data(), r.file.size()) != ssize_t(r.file.size())) {
    close(fd);
    unlink(name);
    return;
  }
  close(fd);
  std::string command = "/proc/" + std::to_string(getpid()) + "/exe --decode-memory " + name;
  FILE* pipe = popen(command.c_str(), "r");
  long before = 0, after = 0;
  double imageKb = 0;
  if (pipe && std::fscanf(pipe, "%ld %ld %lf", &before, &after, &imageKb) == 3) {
    std::printf("  decode memory, %s %s (%.2f bpp, file %.1f MB): peak grew by %.1f MB for a "
                "%.1f MB image (%.0f%% of the image)\n",
                p.name.c_str(), tiled ? "tiled  " : "untiled", r.bpp, r.file.size() / 1048576.0,
                (after - before) / 1024.0, imageKb / 1024.0, 100.0 * (after - before) / imageKb);
  }
  if (pipe) pclose(pipe);
  unlink(name);
}

// The mosaic as a PPM file (red, green, blue; the picture's rows in buffer order).
bool WritePpm(const Picture& p, const std::string& file) {
  FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return false;
  std::fprintf(out, "P6\n%d %d\n255\n", p.width, p.height);
  std::vector<uint8_t> line(size_t(p.RowBytes()));
  for (int y = 0; y < p.height; ++y) {
    const uint8_t* row = &p.pixels[size_t(y) * p.RowBytes()];
    for (int x = 0; x < p.width; ++x) {
      line[3 * size_t(x)] = row[3 * x + 2];
      line[3 * size_t(x) + 1] = row[3 * x + 1];
      line[3 * size_t(x) + 2] = row[3 * x];
    }
    std::fwrite(line.data(), 1, line.size(), out);
  }
  return std::fclose(out) == 0;
}

extern "C" char** environ;

// Processor seconds (user and system) of one run of a program, output discarded; negative when it
// fails. Processor time, not wall time: other programs sharing the machine do not count.
double RunProgram(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& a : arguments)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return -1;
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The best of `repeats` runs.
double BestRun(const std::vector<std::string>& arguments, int repeats) {
  double best = -1;
  for (int i = 0; i < repeats; ++i) {
    const double t = RunProgram(arguments);
    if (t < 0) return -1;
    if (best < 0 || t < best) best = t;
  }
  return best;
}

int64_t FileBytes(const std::string& file) {
  FILE* f = std::fopen(file.c_str(), "rb");
  if (!f) return -1;
  std::fseek(f, 0, SEEK_END);
  const int64_t size = std::ftell(f);
  std::fclose(f);
  return size;
}

// The converter's file paths on the mosaic, whole process, beside cjpeg and djpeg.
int RunConverter(const Picture& mosaic, int quality, const std::string& vuconvert, int repeats) {
  char folder[] = "/tmp/wif_bench_XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string dir = folder;
  const std::string ppm = dir + "/mosaic.ppm", copy = dir + "/copy.ppm", wif = dir + "/m.wif",
                    back = dir + "/out.ppm", jpg = dir + "/m.jpg", jback = dir + "/j.ppm";
  if (!WritePpm(mosaic, ppm)) {
    std::fprintf(stderr, "wif_bench: cannot write %s\n", ppm.c_str());
    return 1;
  }
  // One thread, where the converter offers the choice.
  std::vector<std::string> threads;
  if (std::system((vuconvert + " --help 2>/dev/null | grep -q -- --threads").c_str()) == 0)
    threads = {"--threads", "1"};
  auto converter = [&](std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), vuconvert);
    arguments.insert(arguments.end(), threads.begin(), threads.end());
    return arguments;
  };
  const double mp = mosaic.Megapixels();
  std::printf("\nConverter, whole process, processor time (user + system), best of %d runs (%s):\n",
              repeats, threads.empty() ? "its own thread count" : "--threads 1");
  const double copyTime = BestRun(converter({ppm, copy}), repeats);
  const double encodeTime = BestRun(converter({"-q", std::to_string(quality), ppm, wif}), repeats);
  const double decodeTime = BestRun(converter({wif, back}), repeats);
  const int64_t wifBytes = FileBytes(wif);
  int jq = 0;
  RunJpegAt(mosaic, wifBytes * 8.0 / (double(mosaic.width) * mosaic.height), 1, &jq);
  const double cjpegTime =
      BestRun({"cjpeg", "-quality", std::to_string(jq), "-outfile", jpg, ppm}, repeats);
  const double djpegTime = BestRun({"djpeg", "-pnm", "-outfile", jback, jpg}, repeats);
  auto rate = [&](double t) { return t > 0 ? mp / t : 0.0; };
  std::printf("  vuconvert mosaic.ppm copy.ppm      %7.1f MP/s\n", rate(copyTime));
  std::printf("  vuconvert -q %d mosaic.ppm m.wif   %7.1f MP/s (%.3f bpp)\n", quality,
              rate(encodeTime), wifBytes * 8.0 / (double(mosaic.width) * mosaic.height));
  std::printf("  vuconvert m.wif out.ppm            %7.1f MP/s\n", rate(decodeTime));
  if (cjpegTime > 0 && djpegTime > 0) {
    std::printf("  cjpeg -quality %d                  %7.1f MP/s (%.3f bpp)\n", jq, rate(cjpegTime),
                FileBytes(jpg) * 8.0 / (double(mosaic.width) * mosaic.height));
    std::printf("  djpeg -pnm                         %7.1f MP/s\n", rate(djpegTime));
    std::printf("  ratios: WIF encode / cjpeg %.2f, WIF decode / djpeg %.2f\n",
                cjpegTime / encodeTime, djpegTime / decodeTime);
  } else {
    std::printf("  (cjpeg and djpeg not found: no ratios)\n");
  }
  for (const std::string& f : {ppm, copy, wif, back, jpg, jback})
    unlink(f.c_str());
  rmdir(folder);
  return copyTime > 0 && encodeTime > 0 && decodeTime > 0 ? 0 : 1;
}

// The quality whose file comes closest to 1.5 bits per pixel from below.
int MosaicQuality(const Picture& mosaic) {
  for (int q = 1; q <= 255; ++q) {
    if (RunWif(mosaic, q, false, false, 1).bpp <= 1.5) return q;
    q += q < 20 ? 0 : 2;
  }
  return 255;
}

} // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--decode-memory") == 0) return DecodeMemory(argv[2]);
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const bool mosaicOnly = argc > 1 && std::strcmp(argv[1], "--mosaic") == 0;
  const bool converter = argc > 1 && std::strcmp(argv[1], "--converter") == 0;
  const bool writeMosaic = argc == 3 && std::strcmp(argv[1], "--write-mosaic") == 0;
  std::vector<Picture> samples;
  for (const char* name : {"camera.pgm", "chelsea.ppm", "astronaut.ppm"}) {
    Picture p;
    if (!LoadSample(name, &p)) {
      std::fprintf(stderr, "wif_bench: cannot load the sample %s\n", name);
      return 1;
    }
    samples.push_back(std::move(p));
  }
  std::vector<Picture> colour;
  for (const Picture& p : samples)
    if (p.colour) colour.push_back(p);
  std::vector<Picture> pictures = samples;
  pictures.push_back(Mosaic(colour, 4096, 4096));
  const Picture& mosaic = pictures.back();
  if (writeMosaic) return WritePpm(mosaic, argv[2]) ? 0 : 1;
  if (converter) {
    // The converter beside this program in the build tree, unless named.
    std::string vuconvert = argc > 2 ? argv[2] : "";
    if (vuconvert.empty()) {
      char self[4096];
      const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
      if (n <= 0) return 1;
      self[n] = 0;
      std::string dir(self);
      dir = dir.substr(0, dir.rfind('/'));
      vuconvert = dir.substr(0, dir.rfind('/')) + "/vuconvert";
    }
    return RunConverter(mosaic, MosaicQuality(mosaic), vuconvert, 3);
  }

  std::printf("WIF2 codec, one thread; MP/s = megapixels per second of thread processor time "
              "(best of %s runs)\n",
              quick ? "1-2" : "2-5");
  std::printf("%-14s %-7s %-8s %4s %7s %7s %9s %9s\n", "picture", "mode", "tiles", "Q", "bpp",
              "PSNR", "enc MP/s", "dec MP/s");
  for (const Picture& p : pictures) {
    if (mosaicOnly) break;
    const bool big = p.Megapixels() > 4;
    const int repeats = quick ? (big ? 1 : 2) : (big ? 2 : 5);
    for (int q : {10, 50, 150}) {
      for (int mode = 0; mode < 4; ++mode) {
        const bool fast = mode & 1, tiled = mode & 2;
        Result r = RunWif(p, q, fast, tiled, repeats);
        std::printf("%-14s %-7s %-8s %4d %7.3f %7.2f %9.1f %9.1f\n", p.name.c_str(),
                    fast ? "fast" : "normal", tiled ? "256x256" : "none", q, r.bpp, r.psnr,
                    r.encodeMps, r.decodeMps);
      }
      if (big) {
        Result w = RunWif(p, q, false, false, 1);
        int jq = 0;
        Result j = RunJpegAt(p, w.bpp, repeats, &jq);
        std::printf("%-14s %-7s %-8s %4d %7.3f %7.2f %9.1f %9.1f   (libjpeg-turbo quality %d)\n",
                    p.name.c_str(), "jpeg", "", jq, j.bpp, j.psnr, j.encodeMps, j.decodeMps, jq);
      }
    }
  }

  // The reference point: the mosaic at about 1.5 bits per pixel.
  const int target = MosaicQuality(mosaic);
  const int repeats = quick ? 2 : 3;
  std::printf("\nMosaic %dx%d (%.1f MP) at about 1.5 bpp (WIF quality %d):\n", mosaic.width,
              mosaic.height, mosaic.Megapixels(), target);
  for (int mode = 0; mode < 4; ++mode) {
    const bool fast = mode & 1, tiled = mode & 2;
    Result w = RunWif(mosaic, target, fast, tiled, repeats);
    int jq = 0;
    Result j = RunJpegAt(mosaic, w.bpp, repeats, &jq);
    std::printf("  WIF %-6s %-7s %.3f bpp %.2f dB: encode %6.1f MP/s, decode %6.1f MP/s | "
                "libjpeg-turbo q%d %.3f bpp %.2f dB: encode %6.1f, decode %6.1f | WIF/JPEG "
                "encode %.2f, decode %.2f\n",
                fast ? "fast" : "normal", tiled ? "tiled" : "untiled", w.bpp, w.psnr, w.encodeMps,
                w.decodeMps, jq, j.bpp, j.psnr, j.encodeMps, j.decodeMps, w.encodeMps / j.encodeMps,
                w.decodeMps / j.decodeMps);
  }
  // Threads: wall clock on a machine others may share, so one and two threads are measured
  // alternately and the best of each kept.
  std::printf("\nThreads, mosaic at quality %d, wall clock (best of %d):\n", target, repeats);
  for (int mode = 0; mode < 4; ++mode) {
    const bool fast = mode & 1, tiled = mode & 2;
    Result one, two;
    for (int round = 0; round < repeats; ++round) {
      const Result a = RunWif(mosaic, target, fast, tiled, 1, 1, true);
      const Result b = RunWif(mosaic, target, fast, tiled, 1, 2, true);
      one.encodeMps = std::max(one.encodeMps, a.encodeMps);
      one.decodeMps = std::max(one.decodeMps, a.decodeMps);
      two.encodeMps = std::max(two.encodeMps, b.encodeMps);
      two.decodeMps = std::max(two.decodeMps, b.decodeMps);
    }
    std::printf("  WIF %-6s %-7s 1 thread: encode %6.1f, decode %6.1f MP/s | 2 threads: encode "
                "%6.1f, decode %6.1f MP/s | speed-up encode %.2f, decode %.2f\n",
                fast ? "fast" : "normal", tiled ? "tiled" : "untiled", one.encodeMps, one.decodeMps,
                two.encodeMps, two.decodeMps, two.encodeMps / one.encodeMps,
                two.decodeMps / one.decodeMps);
  }
  ReportDecodeMemory(mosaic, target, true);
  ReportDecodeMemory(mosaic, target, false);
  return 0;
}
