#include "cli/Convert.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "cli/Figures.h"
#include "cli/FileTypes.h"
#include "cli/ImageTools.h"
#include "cli/Messages.h"
#include "cli/OutputFile.h"
#include "cli/SaveOptions.h"
#include "cli/TargetQuality.h"
#include "formats/vuRegistry.h"
#include "imagelib/vuImageOwner.h"

namespace {

bool Offers(const vuImage& image, int type) {
  std::vector<int> types = vuSaveTypesFor(image.format);
  return std::find(types.begin(), types.end(), type) != types.end();
}

bool SixteenBit(const vuImage& image) {
  return image.format == BM_16BIT_GRAY || image.format == BM_48BIT;
}

int SignificantBits(const vuImage& image) {
  return image.sampleBits >= 8 && image.sampleBits <= 16 ? image.sampleBits : 16;
}

int BitLength(unsigned value) {
  int n = 0;
  for (; value; value >>= 1)
    ++n;
  return n;
}

// Calls `visit` with every sample of a 16-bit picture (a reference, so it may change it).
template <typename Visit> void ForEachSample(vuImage& image, Visit visit) {
  const int samples = image.format == BM_48BIT ? 3 : 1;
  for (int y = 0; y < image.Height(); ++y) {
    auto* row = reinterpret_cast<uint16_t*>(image.Row(y));
    for (int i = 0; i < image.Width() * samples; ++i)
      visit(row[i]);
  }
}

// The 8-bit copy of a 16-bit picture: each sample shifted right by `shift`.
bool MakeEightBitCopy(vuImage& image, int shift, std::string* error) {
  const bool colour = image.format == BM_48BIT;
  vuImageOwner copy;
  if (!copy.AllocateBitmap(image.Width(), image.Height(), colour ? 0 : 256,
                           colour ? BM_24BIT : BM_8BIT_GRAY)) {
    *error = "out of memory for the 8-bit copy";
    return false;
  }
  const int samples = colour ? 3 : 1;
  for (int y = 0; y < image.Height(); ++y) {
    const auto* from = reinterpret_cast<const uint16_t*>(image.Row(y));
    uint8_t* to = copy.Row(y);
    for (int i = 0; i < image.Width() * samples; ++i)
      to[i] = static_cast<uint8_t>(std::min(255, from[i] >> shift));
  }
  image.Adopt(copy);
  image.sampleBits = 0;
  return true;
}

// --bits: the significant bits of a 16-bit picture. Lowering them is refused when samples would be
// clipped (unless forced); 8 makes the 8-bit display copy of the top significant bits.
bool ApplyBits(vuImage& image, const Options& options, const std::string& file,
               std::string* error) {
  if (options.bits == 0) return true;
  if (!SixteenBit(image)) {
    Warn(file, "--bits applies to pictures with 16-bit samples; this one has 8-bit samples");
    return true;
  }
  const int significant = SignificantBits(image);
  unsigned largest = 0;
  ForEachSample(image, [&](uint16_t& v) { largest = std::max<unsigned>(largest, v); });
  const int used = BitLength(largest);
  if (options.bits == 8) {
    // Samples that already fit in 8 bits stay as they are.
    return MakeEightBitCopy(image, used <= 8 ? 0 : significant - 8, error);
  }
  if (options.bits < used && !options.force) {
    const unsigned top = (1u << options.bits) - 1;
    int64_t clipped = 0, total = 0;
    ForEachSample(image, [&](uint16_t& v) {
      clipped += v > top;
      ++total;
    });
    char text[400];
    std::snprintf(text, sizeof text,
                  "the picture has %d significant bits (samples up to %u); --bits %d would clip "
                  "%.1f%% of its samples to %u (--force clips them; --bits 8 writes the 8-bit "
                  "display copy)",
                  significant, largest, options.bits, 100.0 * double(clipped) / double(total), top);
    *error = text;
    return false;
  }
  if (options.bits < used) {
    const uint16_t top = static_cast<uint16_t>((1u << options.bits) - 1);
    ForEachSample(image, [&](uint16_t& v) { v = std::min(v, top); });
  }
  image.sampleBits = options.bits;
  return true;
}

// 16-bit grey to 16-bit colour, the samples kept.
bool GreyToColour16(vuImage& image, std::string* error) {
  vuImageOwner colour;
  if (!colour.AllocateBitmap(image.Width(), image.Height(), 0, BM_48BIT)) {
    *error = "out of memory for the colour copy";
    return false;
  }
  for (int y = 0; y < image.Height(); ++y) {
    const auto* from = reinterpret_cast<const uint16_t*>(image.Row(y));
    auto* to = reinterpret_cast<uint16_t*>(colour.Row(y));
    for (int x = 0; x < image.Width(); ++x)
      to[3 * x] = to[3 * x + 1] = to[3 * x + 2] = from[x];
  }
  image.Adopt(colour); // the samples, and so their significant bits, stay
  return true;
}

std::string FileTypeName(int type) {
  std::string name = TypeShortName(type);
  return name.empty() ? "file of its type" : name + " file";
}

} // namespace

int ReadImageFile(vuImage& image, const std::string& path, const std::string& nameForType,
                  std::string* damage) {
  damage->clear();
  int type = image.GetFileType(path.c_str());
  bool byName = false;
  if (type < 0) {
    // Some valid files carry nothing the signature table recognises (a Targa file with an
    // identification field, say): let the reader the extension names try them.
    type = TypeFromFileName(nameForType);
    if (type < 0) return -1;
    byName = true;
  }
  std::unique_ptr<vuRWImage> reader(image.CreateRWImage(type));
  if (!reader) return byName ? -1 : -3;
  int count = -1;
  int result = reader->Read(path.c_str(), &count, &image.header, &image.palette, &image.bits,
                            reader->GetInOptions());
  if (byName && (result != 0 || !reader->damage.empty() || !image.header)) {
    // A guess that did not work out: the file stays unknown.
    image.Delete();
    return -1;
  }
  if (image.header && !reader->damage.empty()) {
    *damage = reader->damage;
    result = -2;
  } else if (result != 0 || !image.header) {
    image.Delete();
    return result != 0 ? result : -2;
  }
  if (count >= 0) image.dataSize = count;
  if (image.format == BM_8BIT_COLOR && image.IsGrayScale()) image.MakeGS();
  return result;
}

std::string ReadFailureText(const std::string& path, int result) {
  std::string decisive = Messages().Last();
  std::string why = decisive.empty() ? "" : " (" + decisive + ")";
  switch (result) {
  case -1: {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return "cannot open the file: " + SystemReason(errno);
    if (S_ISDIR(info.st_mode)) return "is a folder, not an image file";
    FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) return "cannot open the file: " + SystemReason(errno);
    std::fclose(probe);
    return info.st_size == 0 ? "the file is empty" : "unknown file type";
  }
  case -2: {
    vuImage probe;
    return "not a valid " + FileTypeName(probe.GetFileType(path.c_str())) + why;
  }
  case -3:
    return "cannot decode it (an unsupported variant, damaged data, or out of memory)" + why;
  default:
    return "cannot read the file (error " + std::to_string(result) + ")" + why;
  }
}

void PrepareForType(vuImage& image, int type) {
  vuBMFormat f = image.format;
  switch (type) {
  case VU_TYPE_WIF:
    if (f == BM_1BIT)
      image.MakeGS();
    else if (f == BM_8BIT_COLOR)
      image.MakeRGB();
    break;
  case VU_TYPE_BMP:
    if (f == BM_1BIT) image.MakeGS();
    break;
  case VU_TYPE_PPM:
    if (f != BM_24BIT && f != BM_48BIT && f != BM_16BIT_GRAY) image.MakeRGB();
    break;
  case VU_TYPE_PGM:
    if (f != BM_8BIT_GRAY && f != BM_16BIT_GRAY) image.MakeGS();
    break;
  case VU_TYPE_JPEG:
    if (f == BM_1BIT || f == BM_16BIT_GRAY)
      image.MakeGS();
    else if (f == BM_8BIT_COLOR || f == BM_48BIT)
      image.MakeRGB();
    break;
  default:
    break;
  }
  // PGM and PPM keep 16-bit samples; elsewhere a format the type cannot hold becomes the nearest
  // one it can: grey stays grey, everything else becomes 24-bit colour.
  if (type == VU_TYPE_PGM || type == VU_TYPE_PPM || Offers(image, type)) return;
  if (image.IsGrayScale()) image.MakeGS();
  if (!Offers(image, type) && image.format != BM_24BIT) image.MakeRGB();
}

bool ConvertFile(const ConvertJob& job, const Options& options, Failure* failure) {
  failure->file = job.input;
  Messages().Begin(job.input);
  vuImageOwner image;
  std::string damage;
  int result = ReadImageFile(image, job.inputPath, job.input == "-" ? "" : job.input, &damage);
  if (!damage.empty()) {
    if (!options.allowDamaged) {
      failure->reason = "damaged file: " + damage + " (--allow-damaged writes what could be read)";
      return false;
    }
    Warn(job.input, "damaged file: " + damage + "; writing what could be read");
  } else if (result != 0) {
    failure->reason = ReadFailureText(job.inputPath, result);
    return false;
  }
  for (const ImageToolRequest& tool : options.tools) {
    if (!ApplyImageTool(image, tool, options, &failure->reason)) return false;
  }
  if (!ApplyBits(image, options, job.input, &failure->reason)) return false;
  if (job.type == VU_TYPE_PPM && image.format == BM_16BIT_GRAY &&
      !GreyToColour16(image, &failure->reason))
    return false;
  PrepareForType(image, job.type);

  // From here on the output is what may fail.
  failure->file = job.output;
  Messages().Begin(job.output);
  OutputFile out;
  if (!out.Prepare(job.output, options.force, &failure->reason)) return false;
  QualityTrial written;
  if (options.targetSize || options.targetPsnr) {
    if (!WriteForTarget(image, job.type, options, out.TemporaryPath(), &written, &failure->reason))
      return false;
  } else if (!WriteImage(image, job.type, options, 0, out.TemporaryPath(), &failure->reason)) {
    return false;
  }
  struct stat info;
  const int64_t bytes = stat(out.TemporaryPath().c_str(), &info) == 0 ? info.st_size : 0;

  const bool lossy = IsLossyType(job.type);
  double psnr = written.psnr;
  if (options.verbose && lossy && psnr < 0) {
    vuImageOwner decoded;
    std::string readDamage;
    if (ReadImageFile(decoded, out.TemporaryPath(), "", &readDamage) == 0)
      psnr = PictureSnr(image, decoded);
  }
  const int64_t raw = RawPictureBytes(image);
  if (lossy && bytes > raw) {
    std::string text = "the " + TypeShortName(job.type) + " file (" + ByteCount(bytes) +
                       ") is larger than the raw picture (" + ByteCount(raw) + ")";
    if (SixteenBit(image))
      text += "; 16-bit pictures compress poorly, --bits 8 compresses the 8-bit display copy";
    Warn(job.output, text);
  }
  if (!out.Commit(&failure->reason)) return false;
  if (options.verbose) {
    int quality = written.quality;
    if (quality == 0 && lossy)
      quality = options.quality ? options.quality : job.type == VU_TYPE_WIF ? 50 : 80;
    std::fprintf(stderr, "vuconvert: %s: %s\n", job.output.c_str(),
                 FiguresText(bytes, image, lossy ? psnr : -1, lossy ? quality : 0).c_str());
  }
  return true;
}
