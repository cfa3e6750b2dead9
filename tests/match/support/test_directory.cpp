#include "test_directory.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

void TestDirectory::SetUp()
{
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "-" + test->name();
    std::replace(name.begin(), name.end(), '/', '-');
    directory_ = testing::TempDir() + "pebble-match-" + std::to_string(getpid()) + "-" + name;
    std::filesystem::remove_all(directory_);
    std::filesystem::create_directories(directory_);
}

void TestDirectory::TearDown()
{
    std::filesystem::remove_all(directory_);
}
