#pragma once

#include <gtest/gtest.h>

#include <string>

// A test with a fresh directory of its own, removed after it. Its name holds
// the process id and the test's full name, so that tests run at once never share one.
class TestDirectory : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string &name) const { return directory_ + "/" + name; }

    std::string directory_;
};
