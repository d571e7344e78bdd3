#include "listwindow/list/field_values.h"

#include <gtest/gtest.h>

namespace tamber {
namespace {

TEST(FieldValues, AddingKeepsValuesInCharacterCodeOrder) {
    struct Case {
        const char *field, *value, *expected;
    };
    for (Case c :
         {Case{"", "Beta", "Beta"}, Case{"Beta", "Alpha", "Alpha;Beta"},
          Case{"Beta", "Gamma", "Beta;Gamma"}, Case{"Alpha;Gamma", "Beta", "Alpha;Beta;Gamma"},
          Case{"Alpha;Gamma", "Zeta", "Alpha;Gamma;Zeta"}, Case{"Zeta", "apple", "Zeta;apple"},
          Case{"Beta;Alpha", "Gamma", "Beta;Alpha;Gamma"},
          Case{"Alphabet", "Alpha", "Alpha;Alphabet"}})
        EXPECT_EQ(WithValueAdded(c.field, c.value, ";"), c.expected) << c.field << " + " << c.value;
    EXPECT_EQ(WithValueAdded("Alpha;Beta", "Alpha", ";"), std::nullopt);
    EXPECT_EQ(WithValueAdded("alpha", "Alpha", ";"), "Alpha;alpha") << "case counts";
}

TEST(FieldValues, FirstValueIsTheTextBeforeTheSeparator) {
    EXPECT_EQ(FirstValue("Alpha;Beta", ";"), "Alpha");
    EXPECT_EQ(FirstValue("Alpha", ";"), "Alpha");
    EXPECT_EQ(FirstValue("Alpha,Beta", ""), "Alpha,Beta");
}

} // namespace
} // namespace tamber
