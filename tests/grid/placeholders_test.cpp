#include "placeholders.h"

#include <gtest/gtest.h>

using verbolt::Placeholders;
using Views = std::vector<std::string_view>;

TEST(Placeholders, FindsPrintfNumberedAndBracedInsertsAsWritten)
{
    EXPECT_EQ(Placeholders::of("%d files in %-10.3s, 100%% done"), (Views{"%d", "%-10.3s"}));
    EXPECT_EQ(Placeholders::of("%lld %I64u %hhx %zu %ls %5.2f %*d %#o"),
              (Views{"%lld", "%I64u", "%hhx", "%zu", "%ls", "%5.2f", "%*d", "%#o"}));
    EXPECT_EQ(Placeholders::of("50 % de remise, 30 %"), Views{}) << "a blank is no flag";
    EXPECT_EQ(Placeholders::of("%1$s and %2$d"), (Views{"%1$s", "%2$d"}));
    EXPECT_EQ(Placeholders::of("%1 of %2!d! and %99 but %0"), (Views{"%1", "%2!d!", "%99"}));
    EXPECT_EQ(Placeholders::of("{0} {1:N2} {{2}} {x} {3"), (Views{"{0}", "{1:N2}"}));
}

TEST(Placeholders, OrderCountsOnlyForUnpositionedConversions)
{
    struct Pair
    {
        const char *french;
        const char *translation;
        bool agree;
    };
    const Pair pairs[] = {
        {"%d de %s", "%d of %s", true},
        {"%s de %d", "%d of %s", false}, // unpositioned: the order is the arguments'
        {"%1$s de %2$d", "%2$d of %1$s", true},
        {"%1 de %2", "%2 of %1", true},
        {"{0} de {1:N}", "{1:N} of {0}", true},
        {"%1!s! fichiers", "%1!s! files", true},
        {"%d fichiers", "%i files", false},
        {"%d fichiers", "files", false},
        {"50 % de remise", "50 % off", true},
        {"100 %%", "100 %", true},
        {"{0}", "{{0}}", false},
    };
    for (const Pair &p : pairs)
        EXPECT_EQ(Placeholders::agree(p.french, p.translation), p.agree)
            << p.french << " / " << p.translation;
    EXPECT_EQ(Placeholders::differences("%s de %d", "%d of"),
              (std::vector<std::string>{"placeholder %s missing"}));
    EXPECT_EQ(Placeholders::differences("%s", "%s %x"),
              (std::vector<std::string>{"placeholder %x not in French"}));
    EXPECT_EQ(Placeholders::differences("%s de %d", "%d of %s"),
              (std::vector<std::string>{"placeholders %d %s in another order than %s %d"}));
}

TEST(Placeholders, CountsAccelerators)
{
    EXPECT_EQ(Placeholders::accelerators("&Fichier"), 1);
    EXPECT_EQ(Placeholders::accelerators("Tom && Jerry"), 0);
    EXPECT_EQ(Placeholders::accelerators("&Save && &Close"), 2);
    EXPECT_EQ(Placeholders::accelerators("Ends with &"), 0);
    EXPECT_EQ(Placeholders::accelerators("&&&x"), 1);
}
