#include <gtest/gtest.h>

#include <cfenv>

#include "common/vb_error.h"
#include "vb/vb_convert.h"

namespace tamber::vb {
namespace {

long ErrorOf(void (*f)()) {
    try {
        f();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

TEST(IsNumeric, AcceptsTheRunTimesNumberForms) {
    for (const char* t :
         {"0",    "-1",     "+7",   " 12 ", "\t3\t", "1.5",      ".5",
          "5.",   "-1.5e3", "2E-2", "1D2",  "1,000", "1,000.25", "&HFF",
          "&hff", "&O17",   "$5",   "-$5",  "5-",    "(5)",      "99999999999999999999"})
        EXPECT_TRUE(IsNumeric(t)) << t;
}

TEST(IsNumeric, RejectsTextThatIsNoNumber) {
    for (const char* t :
         {"",   " ",  "True", "False",       "abc",   "1a",  "-",   ".",    "1e",  "1e+",   "e5",
          ",5", "&H", "&HG",  "&H123456789", "1.2.3", "--1", "5--", "(-5)", "1 2", "1e400", "0x10"})
        EXPECT_FALSE(IsNumeric(t)) << t;
}

TEST(ToNumber, ValuesOfTheAcceptedForms) {
    EXPECT_EQ(ToNumber("  -1.5e3 "), -1500.0);
    EXPECT_EQ(ToNumber("1,000.25"), 1000.25);
    EXPECT_EQ(ToNumber("(5)"), -5.0);
    EXPECT_EQ(ToNumber("5-"), -5.0);
    EXPECT_EQ(ToNumber("&H10"), 16.0);
    EXPECT_EQ(ToNumber("&HFFFFFFFF"), -1.0);
    EXPECT_EQ(ToNumber("1D2"), 100.0);
}

TEST(CLng, RoundsHalfToEven) {
    EXPECT_EQ(CLng("2.5"), 2);
    EXPECT_EQ(CLng("3.5"), 4);
    EXPECT_EQ(CLng("-2.5"), -2);
    EXPECT_EQ(CLng("-3.5"), -4);
    EXPECT_EQ(CLng("2.500001"), 3);
    EXPECT_EQ(CLng(" 12 "), 12);
    EXPECT_EQ(CInt("0.5"), 0);
    EXPECT_EQ(CInt("1.5"), 2);
    // The caller's rounding mode does not leak into the conversion.
    std::fesetround(FE_DOWNWARD);
    EXPECT_EQ(CLng(2.7), 3);
    std::fesetround(FE_TONEAREST);
}

TEST(CLng, LimitsAndErrors) {
    EXPECT_EQ(CLng("2147483647"), 2147483647);
    EXPECT_EQ(CLng("-2147483648"), INT32_MIN);
    EXPECT_EQ(CLng("2147483647.4"), 2147483647);
    EXPECT_EQ(ErrorOf([] { CLng("2147483647.5"); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { CLng("-2147483649"); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { CLng("abc"); }), err::kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { CLng(""); }), err::kTypeMismatch);
    EXPECT_EQ(CInt("32767"), 32767);
    EXPECT_EQ(CInt("-32768"), -32768);
    EXPECT_EQ(ErrorOf([] { CInt("32767.5"); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { CInt("40000"); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { CInt("True"); }), err::kTypeMismatch);
    EXPECT_EQ(CInt("&HFFFF"), -1);
    EXPECT_EQ(CLng("&HFFFF"), 65535);
    EXPECT_EQ(ErrorOf([] { CInt("&H10000"); }), err::kOverflow);
}

TEST(CStr, WritesNumbersAsTheRunTimeDoes) {
    EXPECT_EQ(CStr(std::int64_t{-12}), "-12");
    EXPECT_EQ(CStr(std::int64_t{0}), "0");
    EXPECT_EQ(CStr(0.5), "0.5");
    EXPECT_EQ(CStr(-0.0), "0");
    EXPECT_EQ(CStr(1e20), "1E+20");
    EXPECT_EQ(CStr(1.5e-7), "1.5E-07");
    EXPECT_EQ(CStr(0.0001), "0.0001");
    EXPECT_EQ(CStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(CStr(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(CStr(100.0), "100");
}

TEST(Val, ReadsTheLeadingNumber) {
    EXPECT_EQ(Val("12abc"), 12);
    EXPECT_EQ(Val("  1 2 3"), 123);
    EXPECT_EQ(Val("-1.5e2x"), -150);
    EXPECT_EQ(Val("1e"), 1);
    EXPECT_EQ(Val("1,000"), 1);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("."), 0);
    EXPECT_EQ(Val("&HFFFF"), -1);
    EXPECT_EQ(Val("&HFFFFF"), 1048575);
    EXPECT_EQ(Val("&O10"), 8);
    EXPECT_EQ(Val("3.7.2"), 3.7);
    EXPECT_EQ(ErrorOf([] { Val("1e999"); }), err::kOverflow);
}

} // namespace
} // namespace tamber::vb
