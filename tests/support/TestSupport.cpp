#include "support/TestSupport.h"

#include <memory>

#include "formats/vuRWImage.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <unistd.h>

namespace vutest {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vutest-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
  root_ = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::string FileTest::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
  const std::string path = dir.Path(name);
  WriteFileBytes(path, bytes);
  return path;
}

std::string Sample(const std::string& name) {
  return std::string(VU_SAMPLES_DIR) + "/" + name;
}
std::string TestData(const std::string& name) {
  return std::string(VU_TEST_DATA_DIR) + "/" + name;
}
std::string SharedTestData(const std::string& name) {
  return std::string(VU_SHARED_TEST_DATA_DIR) + "/" + name;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

int RunCommand(const std::string& command, std::string* output) {
  std::string full = command + " 2>&1";
  FILE* pipe = popen(full.c_str(), "r");
  if (!pipe) return -1;
  std::string text;
  std::array<char, 4096> chunk;
  size_t n;
  while ((n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
    text.append(chunk.data(), n);
  int status = pclose(pipe);
  if (output) *output = text;
  if (status == -1) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveProgram(const std::string& name) {
  return RunCommand("command -v " + Quote(name) + " >/dev/null") == 0;
}

std::string ConvertPath() {
  return VU_CONVERT_PATH;
}

int RunConvert(const std::string& arguments, std::string* output) {
  return RunCommand(Quote(ConvertPath()) + " " + arguments, output);
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

int SaveWithFileSizeLimit(vuImage& image, const std::string& path, int type, void* options,
                          long limitBytes) {
  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limit = saved;
  limit.rlim_cur = static_cast<rlim_t>(limitBytes);
  setrlimit(RLIMIT_FSIZE, &limit);
  int result = image.SaveImage(path.c_str(), type, options);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  return result;
}

int ReadWithReader(vuImage& image, int type, const std::string& path, std::string* damage) {
  std::unique_ptr<vuRWImage> reader(image.CreateRWImage(type));
  if (!reader) return -3;
  int count = 0;
  int result =
      reader->Read(path.c_str(), &count, &image.header, &image.palette, &image.bits, nullptr);
  *damage = reader->damage;
  return result;
}

} // namespace vutest
