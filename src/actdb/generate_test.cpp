#include "actdb/generate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

namespace tamber::actdb {
namespace {

std::string Folded(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

bool HighBytes(const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](unsigned char c) { return c >= 0x80; });
}

TEST(ActDbGenerate, SameOptionsSameDatabaseOtherSeedAnother) {
    GenerateOptions o;
    EXPECT_EQ(Write(Generate(o)), Write(Generate(o)));
    GenerateOptions other = o;
    other.seed = 2;
    EXPECT_NE(Write(Generate(other)), Write(Generate(o)));
}

TEST(ActDbGenerate, GroupTreeHasTheAskedShape) {
    GenerateOptions o;
    o.groups = 40;
    o.subgroups = 18;
    Database db = Parse(Write(Generate(o))); // the reader checks every reference
    ASSERT_EQ(db.groups.size(), 40u);
    std::set<std::string> parents;
    int subgroups = 0, nested = 0;
    for (const auto& g : db.groups) {
        EXPECT_EQ(g.id.size(), kIdLength);
        if (g.parent.empty()) continue;
        ++subgroups;
        parents.insert(g.parent);
        if (!db.FindGroup(g.parent)->parent.empty()) ++nested;
    }
    EXPECT_EQ(subgroups, 18);
    EXPECT_EQ(nested, 1);
    // About a third of the groups carry subgroups (the nested one's parent is a subgroup).
    EXPECT_GE(parents.size(), 12u);
    EXPECT_LE(parents.size(), 15u);
    // The last group is a subgroup whose top-level parent is not the last top-level group
    // before it: ACT!'s order does not always keep subgroups under their parent.
    const Group& last = db.groups.back();
    ASSERT_FALSE(last.parent.empty());
    auto lastTop = std::find_if(db.groups.rbegin(), db.groups.rend(),
                                [](const Group& g) { return g.parent.empty(); });
    EXPECT_FALSE(SameId(last.parent, lastTop->id));
    EXPECT_EQ(db.groups.front().members.size(), 120u);
    EXPECT_TRUE(db.groups.back().members.empty());
    EXPECT_TRUE(std::any_of(db.groups.begin(), db.groups.end(),
                            [](const Group& g) { return g.id.find('\'') != std::string::npos; }));
}

TEST(ActDbGenerate, LargestGroupHas32000Members) {
    GenerateOptions o;
    o.groups = 3;
    o.subgroups = 1;
    o.contacts = 10;
    o.bigGroup = 32000;
    Database db = Parse(Write(Generate(o)));
    EXPECT_EQ(db.contacts.size(), 32000u);
    EXPECT_EQ(db.groups[0].members.size(), 32000u);
    EXPECT_EQ(
        std::set<std::string>(db.groups[0].members.begin(), db.groups[0].members.end()).size(),
        32000u);
}

class SampleDatabase : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { sample_ = new Database(Load(TAMBER_ACTDB_SAMPLE)); }
    static void TearDownTestSuite() { delete sample_; }
    static Database* sample_;
    const Database& db() { return *sample_; }
};
Database* SampleDatabase::sample_ = nullptr;

TEST_F(SampleDatabase, IsWhatTheGeneratorMakesWithItsDefaults) {
    std::ifstream in(TAMBER_ACTDB_SAMPLE, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), Write(Generate(GenerateOptions{})))
        << "regenerate with: actdb_gen --out src/actdb/sample/Contacts.dbf";
}

TEST_F(SampleDatabase, HasTheCountsTheTestsRelyOn) {
    EXPECT_EQ(db().fields.size(), 25u);
    EXPECT_EQ(db().contacts.size(), 300u);
    EXPECT_EQ(db().groups.size(), 40u);
    std::set<std::string> exact, folded;
    int noCompany = 0;
    for (const auto& c : db().contacts) {
        const std::string* company = c.Value(25);
        ASSERT_NE(company, nullptr);
        if (company->empty()) ++noCompany;
        exact.insert(*company);
        folded.insert(Folded(*company));
    }
    EXPECT_GE(folded.size(), 55u);
    EXPECT_LE(folded.size(), 62u);
    EXPECT_GT(exact.size(), folded.size()) << "some companies should differ only in case";
    EXPECT_GT(noCompany, 0);
}

TEST_F(SampleDatabase, HasTheFieldsTheAddOnTreatsSpecially) {
    for (int16_t id : {25, 26, 78, 79, 90, 200, 201, 202, 203})
        EXPECT_NE(db().FindField(id), nullptr) << id;
    int charWithPopup = 0, charWithout = 0, notes = 0, dropdown = 0, emptyPopup = 0;
    for (const auto& f : db().fields) {
        bool character = f.type >= 1 && f.type <= 4;
        if (character && f.hasPopup) ++charWithPopup;
        if (character && !f.hasPopup) ++charWithout;
        if (f.window == FieldWindow::Notes) ++notes;
        if (f.window == FieldWindow::DropDown) ++dropdown;
        if (f.hasPopup && f.popup.empty()) ++emptyPopup;
    }
    EXPECT_GE(charWithPopup, 3);
    EXPECT_GE(charWithout, 8);
    EXPECT_EQ(notes, 1);
    EXPECT_EQ(dropdown, 1);
    EXPECT_EQ(emptyPopup, 1);
    // Region's values drive Territory, which has no list of its own.
    ASSERT_NE(db().FindField(50), nullptr);
    EXPECT_TRUE(db().FindField(50)->hasPopup);
    EXPECT_FALSE(db().FindField(51)->hasPopup);
    for (const auto& c : db().contacts)
        EXPECT_EQ(c.Value(51)->rfind(*c.Value(50) + "-", 0), 0u) << c.id;
}

TEST_F(SampleDatabase, NamesCarryAccentsApostrophesAndMixedCase) {
    bool accent = false, apostrophe = false, lowerStart = false;
    for (const auto& g : db().groups) {
        accent |= HighBytes(g.name);
        apostrophe |= g.name.find('\'') != std::string::npos;
        lowerStart |= !g.name.empty() && std::islower(static_cast<unsigned char>(g.name[0]));
    }
    EXPECT_TRUE(accent);
    EXPECT_TRUE(apostrophe);
    EXPECT_TRUE(lowerStart);
    EXPECT_TRUE(std::any_of(db().contacts.begin(), db().contacts.end(),
                            [](const Contact& c) { return HighBytes(*c.Value(78)); }));
    EXPECT_TRUE(std::any_of(db().contacts.begin(), db().contacts.end(), [](const Contact& c) {
        return c.Value(79)->find('\'') != std::string::npos;
    }));
    EXPECT_TRUE(std::any_of(db().contacts.begin(), db().contacts.end(), [](const Contact& c) {
        return c.Value(60) && c.Value(60)->find("\r\n") != std::string::npos;
    }));
}

} // namespace
} // namespace tamber::actdb
