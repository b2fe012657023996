// The older-generation files of the shared test data carry the byte counts a streaming client
// waits for; the plug-in must ask for exactly those and decode the same picture as the reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "PluginTestSupport.h"
#include "support/TestSupport.h"

using namespace plugintest;

TEST(PluginNeededCounts, SharedOlderGenerationFiles) {
  std::ifstream manifest(vutest::SharedTestData("classic/manifest.json"));
  if (!manifest) GTEST_SKIP() << "no shared test data";
  std::stringstream text;
  text << manifest.rdbuf();
  const std::string all = text.str();
  const std::string json = all.substr(0, all.find("\"malformed\""));
  // Each file entry names its file before its needed counts.
  Browser browser;
  int files = 0;
  const std::string fileKey = "\"file\": \"", countsKey = "\"needed_counts\": [";
  for (size_t at = json.find(fileKey); at != std::string::npos; at = json.find(fileKey, at)) {
    at += fileKey.size();
    const std::string name = json.substr(at, json.find('"', at) - at);
    SCOPED_TRACE(name);
    const size_t list = json.find(countsKey, at);
    ASSERT_NE(list, std::string::npos);
    std::vector<int32_t> counts;
    std::stringstream numbers(
        json.substr(list + countsKey.size(), json.find(']', list) - list - countsKey.size()));
    std::string number;
    while (std::getline(numbers, number, ','))
      counts.push_back(std::stoi(number));
    const std::vector<uint8_t> file =
        vutest::ReadFileBytes(vutest::SharedTestData("classic/" + name));
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(ExpectedNeeds(file), counts);
    TestInstance instance(browser);
    StreamLog log = instance.Stream(file);
    EXPECT_EQ(log.ready, counts);
    ASSERT_FALSE(log.answers.empty());
    EXPECT_EQ(log.answers.back(), -1);
    vuImageOwner reference;
    ASSERT_EQ(ReaderDecode(file, &reference), 0);
    std::string why;
    EXPECT_TRUE(SameImage(instance.Image(), reference, &why)) << why;
    ++files;
  }
  EXPECT_EQ(files, 12);

  // The damaged files end their streams cleanly: every write takes what it was given or answers
  // -1, and a stream whose header was refused shows the placeholder.
  for (size_t at = all.find("malformed/"); at != std::string::npos;
       at = all.find("malformed/", at + 1)) {
    const std::string name = all.substr(at, all.find('"', at) - at);
    SCOPED_TRACE(name);
    const std::vector<uint8_t> file =
        vutest::ReadFileBytes(vutest::SharedTestData("classic/" + name));
    ASSERT_FALSE(file.empty());
    for (int piece : {0, 7}) {
      TestInstance instance(browser);
      StreamLog log = instance.Stream(file, piece);
      size_t offset = 0;
      for (size_t i = 0; i < log.answers.size(); ++i) {
        const size_t given = std::min(size_t(piece ? piece : log.ready[i]), file.size() - offset);
        EXPECT_TRUE(log.answers[i] == int32_t(given) || log.answers[i] == -1);
        offset += given;
      }
      ASSERT_NE(instance.Image().header, nullptr);
    }
  }
}
