#include "shell/IgnoredError.h"
#include "shell/Log.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <system_error>

namespace orvella {
namespace {

class IgnoredError : public ::testing::Test {
protected:
    void SetUp() override { installAppLog(&log_); }
    void TearDown() override { installAppLog(nullptr); }

    test::TempFolder folder_;
    TLog log_{folder_ / "LogFile.log", [] { return std::string("T"); }};
};

TEST_F(IgnoredError, RunTimeFailureIsLoggedWithItsPlaceAndPassedOver) {
    bool done = ignoringErrors("the preview cache", [] {
        throw std::system_error(std::make_error_code(std::errc::no_space_on_device), "write");
    });
    EXPECT_FALSE(done);
    ASSERT_EQ(log_.Lines().size(), 1u);
    EXPECT_EQ(log_.Lines()[0].rfind("T Ignored system_error in the preview cache: write", 0), 0u)
        << log_.Lines()[0];
}

TEST_F(IgnoredError, ProgrammingErrorsAndForeignThrowsGoOn) {
    EXPECT_THROW(ignoringErrors("x", [] { throw std::out_of_range("index"); }), std::out_of_range);
    EXPECT_THROW(ignoringErrors("x", [] { throw 42; }), int);
    EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(IgnoredError, WorkThatSucceedsWritesNothing) {
    int runs = 0;
    EXPECT_TRUE(ignoringErrors("x", [&] { ++runs; }));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(log_.Lines().empty());
}

} // namespace
} // namespace orvella
