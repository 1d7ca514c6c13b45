// The command line of morvaline: options in either case and with either prefix, the
// pattern name after rp, and the user parameter whose password is wiped in place.

#include <gtest/gtest.h>

#include <cstring>

#include "app/gui_options.h"

namespace morvaline {
namespace {

TEST(CommandLineTest, OptionsInEitherCaseAndTheUserParameter) {
    char program[] = "morvaline", x[] = "/X", c[] = "-c", ns[] = "-NOSPLASH", rp[] = "-Rp", name[] = "night",
         reset[] = "-resetbarstate", user[] = "mvl00001;pass;word", extra[] = "more";
    char* argv[] = {program, x, c, ns, rp, name, reset, user, extra};
    std::vector<std::string> unknown;
    const ui::StartupOptions o = parseGuiOptions(9, argv, &unknown);
    EXPECT_EQ(o.patrolMode, 2);
    EXPECT_EQ(o.priority, 2);
    EXPECT_TRUE(o.noSplash);
    EXPECT_TRUE(o.resetBarState);
    EXPECT_FALSE(o.maintenance);
    EXPECT_EQ(o.pattern, "night");
    EXPECT_EQ(o.userId, "MVL00001");
    EXPECT_EQ(o.password, "pass;word");
    // The argument's own bytes hold the ID alone now.
    EXPECT_STREQ(user, "mvl00001");
    EXPECT_EQ(std::memchr(user, 'p', sizeof user), nullptr);
    EXPECT_EQ(unknown, std::vector<std::string>{"more"});
}

TEST(CommandLineTest, AUserIdAloneOnlyPreFills) {
    char program[] = "morvaline", r[] = "-r", z[] = "/z", user[] = "abc";
    char* argv[] = {program, r, z, user};
    const ui::StartupOptions o = parseGuiOptions(4, argv);
    EXPECT_EQ(o.patrolMode, 1);
    EXPECT_TRUE(o.maintenance);
    EXPECT_EQ(o.userId, "ABC");
    EXPECT_FALSE(o.password);
    // An ID longer than eight characters is no "ID;PASSWORD" form.
    char longer[] = "ABCDEFGHI;x";
    char* argv2[] = {program, longer};
    EXPECT_FALSE(parseGuiOptions(2, argv2).password);
}

}  // namespace
}  // namespace morvaline
