#include "driver/ExistingInstallation.h"

#include <gtest/gtest.h>

namespace {

TEST(InstallButtonCaption, FollowsTheEarlierVersionAsText)
{
    const struct {
        const char* version;
        const char* caption;
        const char* why;
    } cases[] = {
        {"", "Install", "no earlier installation"},
        {"4.07", "Upgrade", "older"},
        {"4.10", "Replace", "the same"},
        {"4.9", "Replace", "as text 4.9 is greater than 4.10"},
        {"10.0", "Upgrade", "as text 10.0 is less than 4.10"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InstallButtonCaption(c.version), c.caption) << c.why;
}

} // namespace
