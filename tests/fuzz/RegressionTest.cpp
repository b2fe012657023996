// Inputs that once broke a fuzz target, kept in tests/data/regress/<target>/ and replayed through
// the same target: each gives the result recorded in results.txt, and no promise is broken.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "fuzz/FuzzTargets.h"
#include "support/TestSupport.h"

namespace {

std::vector<std::string> brokenPromises;

void RecordBrokenPromise(const char* what) {
  brokenPromises.push_back(what);
}

// "target/file" -> result, from results.txt ("# " starts a comment line).
std::map<std::string, int> RecordedResults() {
  std::map<std::string, int> results;
  std::ifstream in(vutest::TestData("regress/results.txt"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name;
    int result = 0;
    if (fields >> name >> result) results[name] = result;
  }
  return results;
}

int Replay(const std::string& target, const std::vector<uint8_t>& bytes) {
  const vu::fuzz::Target* found = vu::fuzz::FindTarget(target);
  if (!found) return -1000;
  brokenPromises.clear();
  vu::fuzz::FailureHandler previous = vu::fuzz::SetFailureHandler(RecordBrokenPromise);
  const int result = found->run(bytes.data(), bytes.size());
  vu::fuzz::SetFailureHandler(previous);
  return result;
}

} // namespace

TEST(FuzzRegression, EveryKeptInputGivesItsRecordedResult) {
  const std::map<std::string, int> results = RecordedResults();
  ASSERT_FALSE(results.empty());
  namespace fs = std::filesystem;
  const fs::path root = vutest::TestData("regress");
  int replayed = 0;
  for (const fs::directory_entry& folder : fs::directory_iterator(root)) {
    if (!folder.is_directory()) continue;
    const std::string target = folder.path().filename().string();
    EXPECT_NE(vu::fuzz::FindTarget(target), nullptr) << "no fuzz target named " << target;
    for (const fs::directory_entry& file : fs::directory_iterator(folder.path())) {
      const std::string name = target + "/" + file.path().filename().string();
      SCOPED_TRACE(name);
      auto recorded = results.find(name);
      ASSERT_NE(recorded, results.end()) << "no recorded result in results.txt";
      EXPECT_EQ(Replay(target, vutest::ReadFileBytes(file.path().string())), recorded->second);
      EXPECT_TRUE(brokenPromises.empty()) << brokenPromises.front();
      ++replayed;
    }
  }
  EXPECT_EQ(replayed, static_cast<int>(results.size())) << "results.txt lists missing files";
}
