#include "DesktopTestSupport.h"

#include <gtest/gtest.h>

namespace vutest {

std::string MakeWif(const TempDir& dir, const std::string& sample, const std::string& name,
                    const std::string& arguments) {
  const std::string path = dir.Path(name);
  EXPECT_EQ(RunConvert(Quote(Sample(sample)) + " " + Quote(path) + " " + arguments), 0);
  return path;
}

} // namespace vutest
