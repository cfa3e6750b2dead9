// pebble-match's pool of concurrent games through the real runner and pebble
// as both engines.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "engine_process.h"
#include "without_times.h"

namespace {

std::string FileText(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class ConcurrentGamePool : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = testing::TempDir() + "pebble-pool-" + std::to_string(getpid());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // The record of a short match played by `workers` games at once, without
    // its think times, which no two runs share.
    std::string Record(const std::string &workers) const
    {
        const std::string record = folder_ + "/" + workers + ".jsonl";
        const EngineRun run =
            RunEngine(PEBBLE_MATCH_EXECUTABLE, nullptr, "",
                      {"--ends", "2", "--games", "4", "--seed", "5", "--concurrency", workers, "--record", record});
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(run.errors.find("forfeit"), std::string::npos) << run.errors;
        return WithoutTimes(FileText(record));
    }

    std::string folder_;
};

TEST_F(ConcurrentGamePool, TwoWorkersWriteTheRecordOfOne)
{
    const std::string oneAtATime = Record("1");
    ASSERT_EQ(std::count(oneAtATime.begin(), oneAtATime.end(), '\n'), 5) << "a header and four games";
    EXPECT_TRUE(Record("2") == oneAtATime) << "the records of 2 workers and of 1 differ";
}

}  // namespace
