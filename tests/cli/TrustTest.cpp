// vuconvert with people's files: damaged inputs, outputs it replaces, folders it may not write,
// batch name collisions, the significant bits of 16-bit pictures, and what it says.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/TestSupport.h"

using vutest::Quote;
using vutest::ScopedImage;
using vutest::TempDir;

namespace fs = std::filesystem;

namespace {

// Runs vuconvert as a user without privileges (tests usually run as root, whom no permission
// stops); the folder is opened to that user first.
int ConvertAsNobody(const TempDir& dir, const std::string& arguments, std::string* output) {
  fs::permissions(dir.Root(), fs::perms::all);
  std::string prefix = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  return vutest::RunCommand(prefix + Quote(vutest::ConvertPath()) + " " + arguments, output);
}

int Lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::vector<uint8_t> Head(const std::vector<uint8_t>& bytes, size_t n) {
  return {bytes.begin(), bytes.begin() + long(std::min(n, bytes.size()))};
}

// A 16-bit grey picture whose samples use all 16 bits (the camera photograph times 257).
std::string SixteenBitGrey(const TempDir& dir) {
  ScopedImage camera;
  EXPECT_EQ(camera.LoadImage(vutest::Sample("camera.pgm").c_str()), 0);
  std::string text = "P5 " + std::to_string(camera.Width()) + " " +
                     std::to_string(camera.Height()) + " 65535\n";
  std::vector<uint8_t> bytes(text.begin(), text.end());
  for (int y = camera.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < camera.Width(); ++x) {
      bytes.push_back(camera.Row(y)[x]);
      bytes.push_back(camera.Row(y)[x]);
    }
  }
  std::string path = dir.Path("deep.pgm");
  vutest::WriteFileBytes(path, bytes);
  return path;
}

} // namespace

TEST(Trust, DamagedFilesOfEveryFormatFailWithOneLineUnlessAllowed) {
  TempDir dir;
  std::string photo = Quote(vutest::Sample("chelsea.ppm"));
  std::vector<std::string> names = {"a.wif", "b.pcx", "c.jpg", "d.bmp", "e.tga", "f.png", "g.ppm"};
  for (const std::string& name : names)
    ASSERT_EQ(vutest::RunConvert(photo + " " + Quote(dir.Path(name)) + (name == "a.wif" ? " --tiles" : "")),
              0);
  if (vutest::HaveImageMagick()) {
    ASSERT_EQ(vutest::RunCommand("convert " + photo + " " + Quote(dir.Path("h.gif"))), 0);
    names.push_back("h.gif");
  }
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    std::vector<uint8_t> whole = vutest::ReadFileBytes(dir.Path(name));
    std::string cut = dir.Path("cut-" + name), out = dir.Path("out-" + name + ".bmp");
    vutest::WriteFileBytes(cut, Head(whole, whole.size() / 2));
    std::string output;
    EXPECT_EQ(vutest::RunConvert(Quote(cut) + " " + Quote(out), &output), 1);
    EXPECT_EQ(output.rfind("vuconvert: " + cut + ": damaged file: ", 0), 0u) << output;
    EXPECT_EQ(Lines(output), 1) << output;
    EXPECT_FALSE(fs::exists(out));
    // Asked for, the part that was read is written, with a warning.
    EXPECT_EQ(vutest::RunConvert("--allow-damaged " + Quote(cut) + " " + Quote(out), &output), 0);
    EXPECT_NE(output.find("warning: damaged file"), std::string::npos) << output;
    ScopedImage part;
    ASSERT_EQ(part.LoadImage(out.c_str()), 0);
    EXPECT_EQ(part.Width(), 451);
    EXPECT_EQ(part.Height(), 300);
  }
  // The WIF header alone, and a WIF file whose tile data does not fill its chunk.
  std::vector<uint8_t> wif = vutest::ReadFileBytes(dir.Path("a.wif"));
  std::string headerOnly = dir.Path("header.wif");
  vutest::WriteFileBytes(headerOnly, Head(wif, 40));
  std::string output;
  EXPECT_EQ(vutest::RunConvert(Quote(headerOnly) + " " + Quote(dir.Path("x.bmp")), &output), 1);
  EXPECT_NE(output.find("damaged file: the data ends before tile 1"), std::string::npos) << output;
  std::vector<uint8_t> longer = wif;
  // The first chunk (after the 40-byte header and the 14-byte comment) claims one byte more than
  // its tile has.
  uint32_t length = (uint32_t(wif[55]) << 16 | uint32_t(wif[56]) << 8 | wif[57]) + 1;
  longer[55] = uint8_t(length >> 16);
  longer[56] = uint8_t(length >> 8);
  longer[57] = uint8_t(length);
  vutest::WriteFileBytes(dir.Path("longer.wif"), longer);
  EXPECT_EQ(vutest::RunConvert(Quote(dir.Path("longer.wif")) + " " + Quote(dir.Path("x.bmp")), &output), 1);
  EXPECT_NE(output.find("ends before its chunk"), std::string::npos) << output;
  EXPECT_FALSE(fs::exists(dir.Path("x.bmp")));
}

TEST(Trust, FoldersThatCannotBeWrittenGiveTheReasonNeverACrash) {
  TempDir dir;
  std::string photo = Quote(vutest::Sample("camera.pgm"));
  fs::create_directory(dir.Path("locked"));
  fs::permissions(dir.Path("locked"), fs::perms::owner_read | fs::perms::owner_exec |
                                          fs::perms::group_read | fs::perms::group_exec |
                                          fs::perms::others_read | fs::perms::others_exec);
  std::string output;
  // A batch folder to be made inside a folder the user may not write.
  EXPECT_EQ(ConvertAsNobody(dir, "--batch --to bmp -o " + Quote(dir.Path("locked/new")) + " " +
                                     photo,
                            &output),
            1);
  EXPECT_EQ(output, "vuconvert: " + dir.Path("locked/new") +
                        ": cannot make the output folder: Permission denied\n");
  // One file into that folder, into a folder that does not exist, onto a full disk.
  EXPECT_EQ(ConvertAsNobody(dir, photo + " " + Quote(dir.Path("locked/x.bmp")), &output), 1);
  EXPECT_EQ(output, "vuconvert: " + dir.Path("locked/x.bmp") + ": cannot create a file in the folder " +
                        dir.Path("locked") + ": permission denied\n");
  EXPECT_EQ(vutest::RunConvert(photo + " " + Quote(dir.Path("none/x.bmp")), &output), 1);
  EXPECT_EQ(output, "vuconvert: " + dir.Path("none/x.bmp") + ": the folder " +
                        dir.Path("none") + " does not exist\n");
  EXPECT_EQ(vutest::RunCommand("trap '' XFSZ; ulimit -f 64; " + Quote(vutest::ConvertPath()) + " " +
                                   photo + " " + Quote(dir.Path("big.bmp")),
                               &output),
            1);
  EXPECT_EQ(output, "vuconvert: " + dir.Path("big.bmp") + ": cannot write the file: file too large\n");
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir.Root()))
    files += entry.is_regular_file();
  EXPECT_EQ(files, 0); // nothing half-written, no temporary left
}

TEST(Trust, ReplacedOutputsKeepPermissionsLinksAndReadOnlyFiles) {
  TempDir dir;
  std::string camera = Quote(vutest::Sample("camera.pgm"));
  std::string chelsea = Quote(vutest::Sample("chelsea.ppm"));
  std::string out = dir.Path("out.bmp");
  ASSERT_EQ(vutest::RunConvert(camera + " " + Quote(out)), 0);
  fs::permissions(out, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_EQ(vutest::RunConvert(chelsea + " " + Quote(out)), 0);
  EXPECT_EQ(fs::status(out).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);

  // A read-only file is refused as cp refuses it; --force replaces it (still read-only).
  const auto readOnly = fs::perms::owner_read | fs::perms::group_read;
  fs::permissions(out, readOnly);
  const auto before = vutest::ReadFileBytes(out);
  std::string output;
  EXPECT_EQ(vutest::RunConvert(camera + " " + Quote(out), &output), 1);
  EXPECT_EQ(output, "vuconvert: " + out + ": the file is read-only (--force replaces it)\n");
  EXPECT_EQ(vutest::ReadFileBytes(out), before);
  EXPECT_EQ(vutest::RunConvert("--force " + camera + " " + Quote(out)), 0);
  EXPECT_NE(vutest::ReadFileBytes(out), before);
  EXPECT_EQ(fs::status(out).permissions() & fs::perms::all, readOnly);

  // A symbolic link is written through: it stays a link, its target gets the picture.
  fs::create_symlink("target.ppm", dir.Path("link.ppm"));
  ASSERT_EQ(vutest::RunConvert(camera + " " + Quote(dir.Path("link.ppm"))), 0);
  EXPECT_TRUE(fs::is_symlink(dir.Path("link.ppm")));
  ScopedImage target;
  ASSERT_EQ(target.LoadImage(dir.Path("target.ppm").c_str()), 0);
  EXPECT_EQ(target.Width(), 512);

  // The input itself may be the output: it is read completely first.
  std::string same = dir.Path("same.ppm");
  fs::copy_file(vutest::Sample("chelsea.ppm"), same);
  ASSERT_EQ(vutest::RunConvert(Quote(same) + " " + Quote(same) + " --rotate 90"), 0);
  ScopedImage turned, expected;
  ASSERT_EQ(turned.LoadImage(same.c_str()), 0);
  ASSERT_EQ(expected.LoadImage(vutest::Sample("chelsea.ppm").c_str()), 0);
  ASSERT_EQ(expected.Rotate(90), 1);
  EXPECT_TRUE(vutest::SamePixels(turned, expected));
}

TEST(Trust, BatchNamesThatCollideAreRefusedOrNumbered) {
  TempDir dir;
  fs::create_directory(dir.Path("in"));
  fs::copy_file(vutest::Sample("chelsea.ppm"), dir.Path("in/chelsea.ppm"));
  ASSERT_EQ(vutest::RunConvert(Quote(vutest::Sample("camera.pgm")) + " " + Quote(dir.Path("in/chelsea.png"))),
            0);
  std::string inputs = " " + Quote(dir.Path("in/chelsea.ppm")) + " " +
                       Quote(dir.Path("in/chelsea.png"));
  for (const char* jobs : {"1", "2"}) {
    SCOPED_TRACE(jobs);
    std::string out = dir.Path(std::string("out") + jobs);
    std::string output;
    EXPECT_EQ(vutest::RunConvert("--batch --to bmp -j " + std::string(jobs) + " -o " + Quote(out) + inputs,
                      &output),
              1);
    EXPECT_NE(output.find("vuconvert: " + dir.Path("in/chelsea.png") + ": " + out +
                          "/chelsea.bmp is already the output of " + dir.Path("in/chelsea.ppm")),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("converted 1 of 2 files"), std::string::npos) << output;
    ScopedImage first;
    ASSERT_EQ(first.LoadImage((out + "/chelsea.bmp").c_str()), 0);
    EXPECT_EQ(first.Width(), 451); // the earlier input's picture, not overwritten
  }
  std::string out = dir.Path("numbered");
  ASSERT_EQ(vutest::RunConvert("--batch --to bmp --suffix-collisions -o " + Quote(out) + inputs), 0);
  ScopedImage first, second;
  ASSERT_EQ(first.LoadImage((out + "/chelsea.bmp").c_str()), 0);
  ASSERT_EQ(second.LoadImage((out + "/chelsea-2.bmp").c_str()), 0);
  EXPECT_EQ(first.Width(), 451);
  EXPECT_EQ(second.Width(), 512);
}

TEST(Trust, SignificantBitsAreNeverClippedSilently) {
  TempDir dir;
  std::string deep = Quote(SixteenBitGrey(dir));
  std::string output;
  EXPECT_EQ(vutest::RunConvert("--bits 12 " + deep + " " + Quote(dir.Path("a.wif")), &output), 1);
  EXPECT_NE(output.find("the picture has 16 significant bits (samples up to 65535); --bits 12 "
                        "would clip"),
            std::string::npos)
      << output;
  EXPECT_FALSE(fs::exists(dir.Path("a.wif")));
  // Forced, the samples are clipped to 12 bits; PGM shows the new maximum.
  ASSERT_EQ(vutest::RunConvert("--bits 12 --force " + deep + " " + Quote(dir.Path("a.pgm"))), 0);
  std::vector<uint8_t> clipped = vutest::ReadFileBytes(dir.Path("a.pgm"));
  EXPECT_EQ(std::string(clipped.begin(), clipped.begin() + 16), "P5 512 512 4095\n");
  // Samples that fit may be declared in fewer bits.
  ASSERT_EQ(vutest::RunConvert(Quote(dir.Path("a.pgm")) + " --bits 13 " + Quote(dir.Path("b.wif"))), 0);
  EXPECT_EQ(vutest::RunConvert("--info " + Quote(dir.Path("b.wif")), &output), 0);
  EXPECT_NE(output.find("significant bits: 13"), std::string::npos) << output;

  // 16-bit colour compresses poorly as WIF: a warning says so and names --bits 8, which writes
  // the 8-bit display copy.
  std::string colour = dir.Path("deep.ppm");
  ScopedImage eight;
  ASSERT_EQ(eight.LoadImage(vutest::Sample("chelsea.ppm").c_str()), 0);
  ScopedImage wide;
  ASSERT_EQ(wide.AllocateBitmap(eight.Width(), eight.Height(), 0, BM_48BIT), 1);
  uint32_t noise = 1;
  for (int y = 0; y < eight.Height(); ++y) { // widened to 16 bits, sensor noise below
    auto* row = reinterpret_cast<uint16_t*>(wide.Row(y));
    for (int i = 0; i < 3 * eight.Width(); ++i) {
      noise = noise * 1664525u + 1013904223u;
      row[i] = uint16_t(eight.Row(y)[i] * 256 + (noise >> 24));
    }
  }
  wide.sampleBits = 16;
  ASSERT_EQ(wide.SaveImage(colour.c_str(), 4, nullptr), 0);
  EXPECT_EQ(vutest::RunConvert(Quote(colour) + " " + Quote(dir.Path("c16.wif")), &output), 0);
  EXPECT_NE(output.find("is larger than the raw picture"), std::string::npos) << output;
  EXPECT_NE(output.find("--bits 8"), std::string::npos) << output;
  EXPECT_EQ(vutest::RunConvert("--quiet " + Quote(colour) + " " + Quote(dir.Path("c16.wif")), &output), 0);
  EXPECT_EQ(output, "");
  ASSERT_EQ(vutest::RunConvert("--bits 8 " + Quote(colour) + " " + Quote(dir.Path("c8.wif")), &output), 0);
  EXPECT_EQ(output, "");
  EXPECT_LT(fs::file_size(dir.Path("c8.wif")) * 10, fs::file_size(dir.Path("c16.wif")));
  ScopedImage back;
  ASSERT_EQ(back.LoadImage(dir.Path("c8.wif").c_str()), 0);
  EXPECT_EQ(back.format, BM_24BIT);
  EXPECT_GT(vutest::Psnr(back, eight), 30.0);
}

TEST(Trust, MessagesAreOneLineThatSaysWhatIsWrong) {
  TempDir dir;
  std::string photo = Quote(vutest::Sample("chelsea.ppm"));
  std::string output;
  // The library's own messages are folded into the line; -v shows them as well.
  vutest::WriteFileBytes(dir.Path("bad.tif"), {'I', 'I', 42, 0, 200, 0, 0, 0});
  EXPECT_EQ(vutest::RunConvert(Quote(dir.Path("bad.tif")) + " " + Quote(dir.Path("x.bmp")), &output), 1);
  EXPECT_EQ(Lines(output), 1) << output;
  EXPECT_EQ(output.rfind("vuconvert: " + dir.Path("bad.tif") + ": not a valid TIFF file (TIFF: ",
                         0),
            0u)
      << output;
  EXPECT_EQ(vutest::RunConvert("-v " + Quote(dir.Path("bad.tif")) + " " + Quote(dir.Path("x.bmp")), &output),
            1);
  EXPECT_GE(Lines(output), 2) << output;
  vutest::WriteFileBytes(dir.Path("empty.jpg"), {});
  EXPECT_EQ(vutest::RunConvert(Quote(dir.Path("empty.jpg")) + " " + Quote(dir.Path("x.bmp")), &output), 1);
  EXPECT_EQ(output, "vuconvert: " + dir.Path("empty.jpg") + ": the file is empty\n");
  EXPECT_EQ(vutest::RunConvert(Quote(dir.Root().string()) + " " + Quote(dir.Path("x.bmp")), &output), 1);
  EXPECT_EQ(output, "vuconvert: " + dir.Root().string() + ": is a folder, not an image file\n");

  // Mistakes of usage: exit 2, naming what is wrong.
  EXPECT_EQ(vutest::RunConvert(photo + " " + Quote(dir.Path("x.out")) + " --type foo", &output), 2);
  EXPECT_NE(output.find("unknown output type \"foo\" (the types are wif, bmp"), std::string::npos)
      << output;
  EXPECT_EQ(vutest::RunConvert(photo + " " + Quote(dir.Path("x.gif")), &output), 2);
  EXPECT_NE(output.find(dir.Path("x.gif") + ": GIF files can be read but not written"),
            std::string::npos)
      << output;
  EXPECT_EQ(vutest::RunConvert("--batch --to gif -o " + Quote(dir.Path("o")) + " " + photo), 2);
  EXPECT_EQ(vutest::RunConvert(photo + " " + Quote(dir.Path("x.bmp")) + " -o " + Quote(dir.Path("o")), &output),
            2);
  EXPECT_NE(output.find("belong to --batch"), std::string::npos) << output;
  EXPECT_EQ(vutest::RunConvert(photo + " " + Quote(dir.Path("x.bmp")) + " --reduce best", &output), 2);
  EXPECT_EQ(vutest::RunConvert("--info --gray " + photo, &output), 2);
  EXPECT_FALSE(fs::exists(dir.Path("x.bmp")));
  // Options the output type ignores are accepted with a warning.
  EXPECT_EQ(vutest::RunConvert(photo + " " + Quote(dir.Path("x.bmp")) + " --fast", &output), 0);
  EXPECT_EQ(output, "vuconvert: warning: --fast applies to WIF output only; ignored\n");
  EXPECT_EQ(vutest::RunConvert("--help", &output), 0);
  EXPECT_NE(output.find("GIF and the older WIF generation are read only"), std::string::npos);
  EXPECT_EQ(vutest::RunConvert("--info " + Quote(dir.Path("x.bmp")), &output), 0);
  EXPECT_NE(output.find("type:           Windows Bitmap (BMP)\n"), std::string::npos) << output;
}

TEST(Trust, SixteenBitGreyStaysSixteenBitInPpm) {
  TempDir dir;
  std::string ppm = dir.Path("deep.ppm");
  ASSERT_EQ(vutest::RunConvert(Quote(SixteenBitGrey(dir)) + " " + Quote(ppm)), 0);
  std::vector<uint8_t> bytes = vutest::ReadFileBytes(ppm);
  ASSERT_EQ(std::string(bytes.begin(), bytes.begin() + 17), "P6 512 512 65535\n");
  ScopedImage camera, back;
  ASSERT_EQ(camera.LoadImage(vutest::Sample("camera.pgm").c_str()), 0);
  ASSERT_EQ(back.LoadImage(ppm.c_str()), 0);
  EXPECT_EQ(back.format, BM_48BIT);
  uint16_t pixel[4];
  back.accessor->GetRaw(7, 511, pixel);
  EXPECT_EQ(pixel[0], camera.Row(511)[7] * 257);
  EXPECT_EQ(pixel[1], pixel[0]);
  EXPECT_EQ(pixel[2], pixel[0]);
}
