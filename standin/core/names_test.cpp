#include "core/names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tamber::standin {
namespace {

const ObjKind kAll[] = {ObjKind::kApp,      ObjKind::kViews,   ObjKind::kView,
                        ObjKind::kDatabase, ObjKind::kContact, ObjKind::kGroup,
                        ObjKind::kMembers,  ObjKind::kFields,  ObjKind::kPopupInfo,
                        ObjKind::kAuxCmds,  ObjKind::kEvent};

TEST(NameTables, ResolveTheNamesCallersUseInAnyCase) {
    EXPECT_EQ(LookupDispId(ObjKind::kGroup, "isEOF"), disp::kIsEOF);
    EXPECT_EQ(LookupDispId(ObjKind::kGroup, "ISEOF"), disp::kIsEOF);
    EXPECT_EQ(LookupDispId(ObjKind::kFields, "PopupInfo"), disp::kPopupInfo);
    EXPECT_EQ(LookupDispId(ObjKind::kPopupInfo, "Value"), disp::kValue);
    EXPECT_EQ(LookupDispId(ObjKind::kApp, "getopendbname"), disp::kGetOpenDBName);
    EXPECT_EQ(LookupDispId(ObjKind::kAuxCmds, "addauxcommandtotoolsmenu"),
              disp::kAddAuxCommandToToolsMenu);
}

TEST(NameTables, RefuseNamesOfOtherObjectsAndNearMisses) {
    EXPECT_EQ(LookupDispId(ObjKind::kContact, "MoveNext"), kUnknownDispId);
    EXPECT_EQ(LookupDispId(ObjKind::kView, "Views"), kUnknownDispId);
    EXPECT_EQ(LookupDispId(ObjKind::kGroup, "isEO"), kUnknownDispId);
    EXPECT_EQ(LookupDispId(ObjKind::kGroup, "isEOFs"), kUnknownDispId);
    EXPECT_EQ(LookupDispId(ObjKind::kGroup, ""), kUnknownDispId);
}

TEST(NameTables, EveryTableMapsNamesAndIdentifiersOneToOne) {
    for (ObjKind kind : kAll) {
        std::set<std::string> seen;
        for (long id = -2; id < 40; ++id) {
            std::string_view name = MemberName(kind, id);
            if (name.empty()) continue;
            EXPECT_TRUE(seen.insert(std::string(name)).second) << name;
            EXPECT_EQ(LookupDispId(kind, name), id) << KindName(kind) << "." << name;
        }
        EXPECT_FALSE(seen.empty()) << KindName(kind);
    }
}

TEST(NameTables, EventControlKeepsItsFixedDispatchIdentifiers) {
    EXPECT_FALSE(MemberName(ObjKind::kEvent, 1).empty());
    EXPECT_FALSE(MemberName(ObjKind::kEvent, 2).empty());
    EXPECT_FALSE(MemberName(ObjKind::kEvent, 3).empty());
    EXPECT_TRUE(MemberName(ObjKind::kEvent, 4).empty());
}

} // namespace
} // namespace tamber::standin
