// The older-generation files of the shared test data carry the byte counts a streaming client
// waits for; the plug-in must ask for exactly those and decode the same picture as the reader.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "PluginTestSupport.h"
#include "support/TestSupport.h"

using namespace plugintest;

TEST(PluginNeededCounts, SharedOlderGenerationFiles) {
  std::ifstream manifest(vutest::SharedTestData("classic/manifest.json"));
  if (!manifest) GTEST_SKIP() << "no shared test data";
  std::stringstream text;
  text << manifest.rdbuf();
  const std::string json = text.str();
  // Each file entry names its file before its needed counts.
  const std::regex entry(R"re("file":\s*"([^"]+)"[\s\S]*?"needed_counts":\s*\[([^\]]*)\])re");
  Browser browser;
  int files = 0;
  for (std::sregex_iterator it(json.begin(), json.end(), entry), end; it != end; ++it) {
    const std::string name = (*it)[1];
    SCOPED_TRACE(name);
    std::vector<int32_t> counts;
    std::stringstream list((*it)[2].str());
    std::string number;
    while (std::getline(list, number, ','))
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
}
