// GIF files: files built here with known pixels (tables, interlace, extensions, damage), the
// messages, per-object decoder state, and files of independent tools.
#include <gtest/gtest.h>

#include <thread>

#include "formats/GifRW.h"
#include "support/TestSupport.h"

using namespace vutest;

namespace {

struct GifLayout {
  int width = 4, height = 3;
  std::vector<uint8_t> pixels; // top row first
  std::vector<uint8_t> global; // red, green, blue triples; empty: no global table
  int globalSizeField = 1;     // used when there is no global table
  std::vector<uint8_t> local;
  bool interlaced = false;
  int minimumCodeSize = 2;
  int aspect = 0;
  std::vector<uint8_t> extensions; // raw bytes between the tables and the image
  std::string version = "89a";
  size_t keepDataBytes = SIZE_MAX; // cut the coded data short (a terminator follows)
  bool endCode = true;
};

int SizeField(size_t entries) {
  int field = 0;
  while ((size_t(2) << field) < entries)
    ++field;
  return field;
}

// Codes of fixed width: a clear code before the table would make codes wider, so every code is
// a single pixel value.
std::vector<uint8_t> PackCodes(const std::vector<uint8_t>& values, int minimumCodeSize,
                               bool endCode) {
  int clear = 1 << minimumCodeSize;
  int width = minimumCodeSize + 1;
  std::vector<int> codes = {clear};
  int sinceClear = 0;
  for (uint8_t v : values) {
    if (sinceClear == clear - 2) {
      codes.push_back(clear);
      sinceClear = 0;
    }
    codes.push_back(v);
    ++sinceClear;
  }
  if (endCode) codes.push_back(clear + 1);
  std::vector<uint8_t> bytes;
  uint32_t buffer = 0;
  int count = 0;
  for (int code : codes) {
    buffer |= uint32_t(code) << count;
    count += width;
    while (count >= 8) {
      bytes.push_back(uint8_t(buffer));
      buffer >>= 8;
      count -= 8;
    }
  }
  if (count > 0) bytes.push_back(uint8_t(buffer));
  return bytes;
}

std::vector<uint8_t> BuildGif(const GifLayout& s) {
  std::string magic = "GIF" + s.version;
  std::vector<uint8_t> out(magic.begin(), magic.end());
  Put16(out, s.width);
  Put16(out, s.height);
  int packed = s.global.empty() ? s.globalSizeField : 0x80 | SizeField(s.global.size() / 3);
  Put8(out, packed);
  Put8(out, 0);
  Put8(out, s.aspect);
  if (!s.global.empty()) {
    out.insert(out.end(), s.global.begin(), s.global.end());
    out.resize(out.size() + 3 * (size_t(2) << SizeField(s.global.size() / 3)) - s.global.size(), 0);
  }
  out.insert(out.end(), s.extensions.begin(), s.extensions.end());
  Put8(out, ',');
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, s.width);
  Put16(out, s.height);
  int imagePacked = s.interlaced ? 0x40 : 0;
  if (!s.local.empty()) imagePacked |= 0x80 | SizeField(s.local.size() / 3);
  Put8(out, imagePacked);
  if (!s.local.empty()) {
    out.insert(out.end(), s.local.begin(), s.local.end());
    out.resize(out.size() + 3 * (size_t(2) << SizeField(s.local.size() / 3)) - s.local.size(), 0);
  }
  // Rows in file order.
  std::vector<uint8_t> ordered;
  std::vector<int> rows;
  if (s.interlaced) {
    for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}}) {
      for (int y = start; y < s.height; y += step)
        rows.push_back(y);
    }
  } else {
    for (int y = 0; y < s.height; ++y)
      rows.push_back(y);
  }
  for (int y : rows) {
    if (size_t(y + 1) * s.width > s.pixels.size()) break; // a picture whose data ends early
    ordered.insert(ordered.end(), s.pixels.begin() + size_t(y) * s.width,
                   s.pixels.begin() + size_t(y + 1) * s.width);
  }
  std::vector<uint8_t> data = PackCodes(ordered, s.minimumCodeSize, s.endCode);
  if (data.size() > s.keepDataBytes) data.resize(s.keepDataBytes);
  Put8(out, s.minimumCodeSize);
  for (size_t i = 0; i < data.size(); i += 255) {
    size_t n = std::min<size_t>(255, data.size() - i);
    Put8(out, int(n));
    out.insert(out.end(), data.begin() + i, data.begin() + i + n);
  }
  Put8(out, 0);
  Put8(out, ';');
  return out;
}

std::vector<uint8_t> Pixels(int width, int height, int colors) {
  std::vector<uint8_t> p(size_t(width) * height);
  for (size_t i = 0; i < p.size(); ++i)
    p[i] = uint8_t((i * 7 + i / 3) % colors);
  return p;
}

std::vector<uint8_t> Indices(vuImage& image) {
  std::vector<uint8_t> out;
  for (int y = image.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < image.Width(); ++x) {
      uint16_t p[4] = {0, 0, 0, 0};
      image.accessor->GetRaw(x, y, p);
      out.push_back(uint8_t(p[0]));
    }
  }
  return out;
}

const std::vector<uint8_t> kFourColours = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};

class GifTest : public FileTest {
protected:
  vuRecordingPlatform platform;
  vuScopedPlatform scoped{&platform};
  // Reads through a reader object of our own, to see its recorded facts.
  int ReadDirect(GifRW& reader, const std::string& path) {
    int count = 0;
    return reader.Read(path.c_str(), &count, nullptr, nullptr, nullptr, nullptr);
  }
};

} // namespace

TEST_F(GifTest, KnownPixelsWithTheGlobalTable) {
  GifLayout layout;
  layout.width = 5;
  layout.height = 3;
  layout.global = kFourColours;
  layout.pixels = Pixels(5, 3, 4);
  ScopedImage image;
  std::string path = Write("g.gif", BuildGif(layout));
  ASSERT_EQ(image.LoadImage(path.c_str()), 0);
  EXPECT_EQ(image.format, BM_8BIT_COLOR);
  EXPECT_EQ(image.Colors(), 4);
  EXPECT_EQ(Indices(image), layout.pixels);
  EXPECT_EQ(image.palette[2].blue, 255);
  EXPECT_EQ(image.dataSize, static_cast<int>(ReadFileBytes(path).size()));
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(GifTest, LocalTableOverridesTheGlobalOne) {
  GifLayout layout;
  layout.global = kFourColours;
  layout.local = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21};
  layout.minimumCodeSize = 3;
  layout.pixels = Pixels(4, 3, 7);
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(Write("l.gif", BuildGif(layout)).c_str()), 0);
  EXPECT_EQ(image.Colors(), 8);
  EXPECT_EQ(Indices(image), layout.pixels);
  EXPECT_EQ(image.palette[1].red, 4);
  EXPECT_EQ(image.palette[1].blue, 6);
}

TEST_F(GifTest, InterlacedPicturesFillEveryRow) {
  for (int height : {1, 2, 3, 5, 8, 9, 17}) {
    GifLayout layout;
    layout.width = 3;
    layout.height = height;
    layout.global = kFourColours;
    layout.pixels = Pixels(3, height, 4);
    layout.interlaced = true;
    ScopedImage image;
    ASSERT_EQ(image.LoadImage(Write("i.gif", BuildGif(layout)).c_str()), 0) << height;
    EXPECT_EQ(Indices(image), layout.pixels) << "height " << height;
  }
}

TEST_F(GifTest, ExtensionsAreSkippedAndTheControlBlockRecorded) {
  GifLayout plain;
  plain.global = kFourColours;
  plain.pixels = Pixels(4, 3, 4);
  GifLayout layout = plain;
  auto add = [&](std::initializer_list<int> bytes) {
    for (int b : bytes)
      layout.extensions.push_back(uint8_t(b));
  };
  add({'!', 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0});
  add({'!', 0xFF, 11, 'X', 'M', 'P', ' ', 'D', 'a', 't', 'a', 'X', 'M', 'P', 2, ',', ';', 0});
  add({'!', 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 0});
  add({'!', 0x01, 12, 0, 0, 0, 0, 4, 0, 3, 0, 8, 8, 1, 0, 3, 'a', ',', 'b', 0});
  add({'!', 0x77, 2, 1, 2, 0});
  add({'!', 0xF9, 4, (2 << 2) | 1, 10, 1, 3, 0});
  ScopedImage a;
  ASSERT_EQ(a.LoadImage(Write("plain.gif", BuildGif(plain)).c_str()), 0);
  ScopedImage b;
  GifRW reader(&b);
  ASSERT_EQ(ReadDirect(reader, Write("ext.gif", BuildGif(layout))), 0);
  EXPECT_TRUE(SamePixels(a, b));
  EXPECT_EQ(reader.transparent, 3);
  EXPECT_EQ(reader.disposal, 2);
  EXPECT_EQ(reader.delayTime, 266);
  EXPECT_TRUE(platform.messages.empty());
  b.Delete(); // read again into an empty image

  // Comments are shown only on request.
  reader.showComment = true;
  ASSERT_EQ(ReadDirect(reader, dir.Path("ext.gif")), 0);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "gif comment: hello");
}

TEST_F(GifTest, NoColourTableGivesAGreyRamp) {
  GifLayout layout;
  layout.globalSizeField = 1; // four entries, no colours given
  layout.pixels = Pixels(4, 3, 4);
  GifRW reader(nullptr);
  ScopedImage image;
  reader.image = &image;
  ASSERT_EQ(ReadDirect(reader, Write("grey.gif", BuildGif(layout))), 0);
  ASSERT_EQ(image.Colors(), 4);
  EXPECT_EQ(image.palette[0].red, 0);
  EXPECT_EQ(image.palette[1].green, 85);
  EXPECT_EQ(image.palette[2].blue, 170);
  EXPECT_EQ(image.palette[3].red, 255);
}

TEST_F(GifTest, AFileWithoutAnImageFailsAfterOneMessage) {
  std::vector<uint8_t> bytes = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'};
  ScopedImage image;
  EXPECT_EQ(image.LoadImage(Write("empty.gif", bytes).c_str()), -2);
  EXPECT_EQ(image.header, nullptr);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].caption, "only 0 images found in file");
  EXPECT_EQ(platform.messages[0].text, "Error");
}

TEST_F(GifTest, HeaderMessages) {
  GifLayout layout;
  layout.global = kFourColours;
  layout.pixels = Pixels(4, 3, 4);
  layout.aspect = 33;
  ScopedImage image;
  GifRW reader(&image);
  ASSERT_EQ(ReadDirect(reader, Write("v.gif", BuildGif(layout))), 0);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text,
            "warning - non-square pixels; to fix do a 'pnmscale -xscale 1.33333'");
  EXPECT_EQ(platform.messages[0].caption, platform.messages[0].text);
  EXPECT_EQ(Indices(image), layout.pixels);
  image.Delete();

  // A version we do not know is no GIF we can read: refused after its message, nothing made up.
  platform.messages.clear();
  layout.version = "88a";
  ASSERT_EQ(ReadDirect(reader, Write("v88.gif", BuildGif(layout))), -2);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].caption, "bad version number, not '87a' or '89a'");
  EXPECT_EQ(platform.messages[0].text, "Error");
  EXPECT_EQ(image.header, nullptr);
}

TEST_F(GifTest, ShortAndBrokenDataEndCleanly) {
  GifLayout layout;
  layout.width = 10;
  layout.height = 10;
  layout.global = kFourColours;
  layout.pixels = Pixels(10, 10, 4);
  layout.keepDataBytes = 12;
  ScopedImage image;
  ASSERT_EQ(image.LoadImage(Write("cut.gif", BuildGif(layout)).c_str()), -2);
  EXPECT_EQ(image.header, nullptr);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].caption, "ran off the end of my bits");
  // The reader itself keeps the rows that came; the rest is cleared.
  std::string damage;
  ASSERT_EQ(vutest::ReadWithReader(image, 11, dir.Path("cut.gif"), &damage), -2);
  EXPECT_EQ(damage, "the data ends in row 3 of 10");
  std::vector<uint8_t> got = Indices(image);
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + 20, layout.pixels.begin()));
  EXPECT_EQ(got.back(), 0); // not reached: cleared

  // An end code before the last pixel, with data still behind it.
  platform.messages.clear();
  GifLayout early = layout;
  early.keepDataBytes = SIZE_MAX;
  early.height = 10;
  early.pixels.resize(30);
  std::vector<uint8_t> bytes = BuildGif(early);
  bytes.resize(bytes.size() - 2);                  // drop the terminator and trailer
  bytes.insert(bytes.end(), {3, 1, 2, 3, 0, ';'}); // a stray block after the end code
  ScopedImage earlyImage;
  // The picture claims 10 rows but the data gives 3: damaged, and the rest stays cleared.
  std::vector<uint8_t> patched = bytes;
  ASSERT_EQ(earlyImage.LoadImage(Write("early.gif", patched).c_str()), -2);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "missing EOD in data stream (common occurence)");

  // Code sizes above 12 bits, a zero size, and a file that ends in the middle.
  for (int size : {0, 12, 13, 200}) {
    GifLayout wide = layout;
    wide.keepDataBytes = SIZE_MAX;
    std::vector<uint8_t> b = BuildGif(wide);
    size_t at = 13 + 12 + 10; // header, 4-entry table, image descriptor
    ASSERT_EQ(b[at], 2);
    b[at] = uint8_t(size);
    ScopedImage w;
    EXPECT_EQ(w.LoadImage(Write("wide.gif", b).c_str()), -2) << size;
  }
  std::vector<uint8_t> whole = BuildGif(layout);
  for (size_t cut : {size_t(7), size_t(13), size_t(20), size_t(30)}) {
    ScopedImage c;
    EXPECT_EQ(c.LoadImage(
                  Write("c.gif", std::vector<uint8_t>(whole.begin(), whole.begin() + cut)).c_str()),
              -2)
        << cut;
  }
  // A huge picture claimed by a few bytes.
  GifLayout huge = layout;
  std::vector<uint8_t> h = BuildGif(huge);
  h[13 + 12 + 5] = 0xFF, h[13 + 12 + 6] = 0x7F, h[13 + 12 + 7] = 0xFF, h[13 + 12 + 8] = 0x7F;
  ScopedImage hi;
  EXPECT_EQ(hi.LoadImage(Write("huge.gif", h).c_str()), -2);
}

TEST_F(GifTest, InfoWriteAndRegistry) {
  GifLayout layout;
  layout.width = 7;
  layout.height = 2;
  layout.global = std::vector<uint8_t>(3 * 16, 9);
  layout.minimumCodeSize = 4;
  layout.pixels = Pixels(7, 2, 16);
  std::string path = Write("info.gif", BuildGif(layout));
  ScopedImage image;
  vuFileInfo info;
  ASSERT_EQ(image.GetInfo(path.c_str(), &info), 0);
  EXPECT_EQ(info.width, 7);
  EXPECT_EQ(info.height, 2);
  EXPECT_EQ(info.bitsPerPixel, 4);
  EXPECT_EQ(info.fileSize, ReadFileBytes(path).size());
  ASSERT_EQ(image.LoadImage(path.c_str()), 0);
  std::string target = dir.Path("out.gif");
  EXPECT_LT(image.SaveImage(target.c_str(), 11), 0);
  EXPECT_FALSE(std::filesystem::exists(target));
  GifRW reader(&image);
  EXPECT_EQ(reader.access, 1);
  EXPECT_STREQ(reader.extensions, "GIF");
  EXPECT_STREQ(reader.description, "Graphics Interchange Format");
}

TEST_F(GifTest, TwoReadersDecodeAtTheSameTime) {
  GifLayout a;
  a.width = 61;
  a.height = 40;
  a.global = kFourColours;
  a.pixels = Pixels(61, 40, 4);
  GifLayout b = a;
  b.minimumCodeSize = 5;
  b.interlaced = true;
  b.global = std::vector<uint8_t>(3 * 32, 1);
  b.pixels = Pixels(61, 40, 32);
  std::string pathA = Write("a.gif", BuildGif(a)), pathB = Write("b.gif", BuildGif(b));
  bool okA = true, okB = true;
  auto run = [](const std::string& path, const std::vector<uint8_t>& expected, bool* ok) {
    for (int k = 0; k < 40; ++k) {
      ScopedImage image;
      GifRW reader(&image);
      int count = 0;
      if (reader.Read(path.c_str(), &count, nullptr, nullptr, nullptr, nullptr) != 0 ||
          Indices(image) != expected) {
        *ok = false;
      }
    }
  };
  std::thread first(run, pathA, a.pixels, &okA);
  std::thread second(run, pathB, b.pixels, &okB);
  first.join();
  second.join();
  EXPECT_TRUE(okA);
  EXPECT_TRUE(okB);
}

TEST_F(GifTest, FilesOfIndependentToolsReadAsTheyDecodeThem) {
  if (!HaveImageMagick() || !HavePillow()) GTEST_SKIP() << "ImageMagick or Pillow missing";
  std::string small = SmallPhoto(dir, 101, 67);
  std::string in = Quote(small);
  auto out = [&](const std::string& name) { return Quote(dir.Path(name)); };
  std::vector<std::pair<std::string, std::string>> variants = {
      {"im.gif", "convert " + in + " " + out("im.gif")},
      {"iminter.gif", "convert " + in + " -interlace GIF " + out("iminter.gif")},
      {"im16.gif", "convert " + in + " -colors 16 " + out("im16.gif")},
      {"imtrans.gif",
       "convert " + in + " -colors 64 -fuzz 10% -transparent '#604020' " + out("imtrans.gif")},
      {"imgrey.gif", "convert " + in + " -colorspace Gray " + out("imgrey.gif")},
      {"im87.gif", "convert " + in + " -colors 30 " + Quote("gif87:" + dir.Path("im87.gif"))},
  };
  std::string py = "/usr/bin/python3 -c \"import sys; from PIL import Image; "
                   "im=Image.open(sys.argv[1]); ";
  for (auto [name, code] : std::vector<std::pair<std::string, std::string>>{
           {"pil.gif", "im.quantize(200).save(sys.argv[2])"},
           {"pillocal.gif", "im.quantize(100).save(sys.argv[2], include_color_table=True)"},
           {"piltrans.gif", "im.quantize(50).save(sys.argv[2], transparency=3, comment=b'hi')"},
           {"pilinter.gif", "im.quantize(9).save(sys.argv[2], interlace=True)"},
           {"pilanim.gif", "q=im.quantize(40); r=im.rotate(180).quantize(70); "
                           "q.save(sys.argv[2], save_all=True, append_images=[r], loop=0)"}}) {
    variants.push_back({name, py + code + "\" " + in + " " + out(name)});
  }
  if (HaveProgram("gifbuild")) {
    // Local table, interlace, comment and control extensions, written by the giflib tools.
    std::string text = "screen width 13\nscreen height 6\nscreen colors 4\n"
                       "screen map\n rgb 000 000 000 is a\n rgb 255 255 255 is b\n"
                       " rgb 255 000 000 is c\n rgb 000 255 000 is d\nend\n"
                       "image\nimage interlaced\nimage map\n rgb 010 020 030 is a\n"
                       " rgb 040 050 060 is b\n rgb 070 080 090 is c\n rgb 100 110 120 is d\nend\n"
                       "image bits 13 by 6\nabcdabcdabcda\nbbbbbbbbbbbbb\ncdcdcdcdcdcdc\n"
                       "aaaaaaaaaaaab\ndcbadcbadcbad\nabababababcdc\n"
                       "comment\nmade for a test\nend\n"
                       "graphics control\n disposal mode 1\n user input flag off\n delay 5\n"
                       " transparent index 2\nend\n";
    WriteFileBytes(dir.Path("picture.txt"), std::vector<uint8_t>(text.begin(), text.end()));
    variants.push_back(
        {"giflib.gif", "gifbuild " + Quote(dir.Path("picture.txt")) + " > " + out("giflib.gif")});
  }
  int checked = 0;
  for (const auto& [name, command] : variants) {
    SCOPED_TRACE(name);
    ASSERT_EQ(RunCommand("{ " + command + "; } 2>/dev/null"), 0) << command;
    std::string file = dir.Path(name);
    ScopedImage ours;
    ASSERT_EQ(ours.LoadImage(file.c_str()), 0);
    Picture theirs;
    std::string why;
    theirs = PillowDecode(file, dir, Alpha::Drop);
    ASSERT_EQ(theirs.width, ours.Width());
    ASSERT_EQ(theirs.height, ours.Height());
    EXPECT_EQ(MaxDifference(PictureOf(ours), theirs, &why), 0) << why << "; against Pillow";
    theirs = MagickDecode(file, "-auto-orient", 8, dir);
    EXPECT_EQ(MaxDifference(PictureOf(ours), theirs, &why), 0) << why << "; against ImageMagick";
    // gif2rgb paints every frame of an animation onto one screen.
    if (HaveProgram("gif2rgb") && name != "pilanim.gif") {
      // giflib's decoder: the first image as raw red, green, blue bytes.
      std::string raw = dir.Path("gl.rgb");
      ASSERT_EQ(RunCommand("gif2rgb -1 -o " + Quote(raw) + " " + Quote(file)), 0);
      EXPECT_TRUE(RgbBytesTopDown(ours) == ReadFileBytes(raw)) << "against giflib";
    }
    ++checked;
  }
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_GE(checked, 11);
}

TEST_F(GifTest, DamagedFilesLoadWholeOrLeaveTheImageEmpty) {
  GifLayout layout;
  layout.width = 21;
  layout.height = 9;
  layout.global = std::vector<uint8_t>(3 * 8, 50);
  layout.minimumCodeSize = 3;
  layout.interlaced = true;
  layout.pixels = Pixels(21, 9, 8);
  ExpectBothOutcomes(LoadDamagedCopies(BuildGif(layout), dir.Path("m.gif"), {.seed = 31}));
  if (HaveImageMagick()) {
    // Real LZW with growing code sizes.
    std::string path = dir.Path("real.gif");
    ASSERT_EQ(RunCommand("convert " + Quote(Sample("camera.pgm")) + " -resize 40x30 -colors 100 " +
                         Quote(path)),
              0);
    ExpectBothOutcomes(LoadDamagedCopies(ReadFileBytes(path), dir.Path("m.gif"), {.seed = 32}));
  }
}
