#include "actdb/actdb.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace tamber::actdb {
namespace {

Database Tricky() {
    Database db;
    db.fields.push_back({25, "Company", kCharacter, FieldWindow::Edit, false, {}});
    db.fields.push_back({56,
                         "Region = area",
                         kUppercase,
                         FieldWindow::Edit,
                         true,
                         {"North", " padded ", "back\\slash", ""}});
    db.fields.push_back({-3, "Notes", kMemo, FieldWindow::Notes, false, {}});
    db.fields.push_back({77, "Product", kCharacter, FieldWindow::DropDown, true, {"A;B"}});
    Contact c{"C0000000001A", {}};
    c.SetValue(25, "O'Brien & S\xf6hne");
    c.SetValue(-3, "line one\r\nline two\\n not an escape\n");
    c.SetValue(56, "  leading and trailing  ");
    db.contacts.push_back(c);
    db.contacts.push_back({"C 2 with =  ", {{25, "[not a record]"}, {77, "; not a comment"}}});
    db.groups.push_back({"G000000001AB", "Caf\xe9 clients", "", {"C0000000001A", "C 2 with =  "}});
    db.groups.push_back({"G'00000002AB", "Key accounts", "G000000001AB", {}});
    db.groups.push_back({"G000000003AB", "", "G'00000002AB", {"C 2 with ="}});
    return db;
}

TEST(ActDbFormat, WriteThenParseGivesTheSameDatabase) {
    Database db = Tricky();
    std::string text = Write(db);
    EXPECT_EQ(Parse(text), db);
    // Writing is stable: a second round gives the same bytes.
    EXPECT_EQ(Write(Parse(text)), text);
}

TEST(ActDbFormat, AcceptsLfEndingsCommentsAndBlankKeysAroundEquals) {
    Database db = Parse("; a comment before the header\n\nACTDB 1\n[field]\n id = 25\nlabel=Co\n"
                        "type=1\n[contact]\nid=C0000000001A\n25=Acme\\\\Tools\n");
    ASSERT_EQ(db.fields.size(), 1u);
    EXPECT_EQ(db.fields[0].id, 25);
    EXPECT_EQ(db.fields[0].label, "Co");
    EXPECT_EQ(db.fields[0].window, FieldWindow::Edit);
    EXPECT_FALSE(db.fields[0].hasPopup);
    ASSERT_EQ(db.contacts.size(), 1u);
    EXPECT_EQ(*db.contacts[0].Value(25), "Acme\\Tools");
    EXPECT_EQ(db.contacts[0].Value(78), nullptr);
}

struct BadInput {
    std::string text;
    int line;
    const char* fragment;
};

TEST(ActDbFormat, BadInputNamesTheLineAndTheProblem) {
    const std::string head = "ACTDB 1\n[field]\nid=25\nlabel=Co\ntype=1\n"; // lines 1-5
    const BadInput cases[] = {
        {"", 1, "expected 'ACTDB 1'"},
        {"ACTDB 2\n", 1, "expected 'ACTDB 1'"},
        {"ACTDB 1\nid=5\n", 2, "before the first record"},
        {"ACTDB 1\n[fields]\n", 2, "unknown record [fields]"},
        {"ACTDB 1\n[field]\nid=25\nlabel=Co\n", 2, "without 'type'"},
        {"ACTDB 1\n[field]\nid=70000\n", 3, "not a number"},
        {"ACTDB 1\n[field]\nid=2x\n", 3, "not a number"},
        {"ACTDB 1\n[field]\nid=1\nid=2\n", 4, "given twice"},
        {"ACTDB 1\n[field]\nid=1\nwindow=combo\n", 4, "not edit, notes or dropdown"},
        {"ACTDB 1\n[field]\nid=1\nlabel=x\ntype=1\nvalue=v\n", 2, "not popup=yes"},
        {"ACTDB 1\n[field]\nid=1\nlabel=a\\tb\n", 4, "bad escape"},
        {"ACTDB 1\n[field]\nid=1\nlabel\n", 4, "expected key=value"},
        {"ACTDB 1\n[field]\nid=1\nlabl=x\n", 4, "unknown key 'labl'"},
        {(head + "[field]\nid=25\n"), 7, "defined twice"},
        {(head + "[contact]\nid=SHORT\n"), 7, "not 12"},
        {(head + "[contact]\nid=C0000000001A\n[contact]\nid=C0000000001A\n"), 9, "used twice"},
        {(head + "[contact]\nid=C0000000001A\n25=x\n99=y\n"), 9, "field 99 is not defined"},
        {(head + "[contact]\n25=x\n"), 6, "without 'id'"},
        {(head + "[group]\nid=G000000001AB\n"), 6, "without 'name'"},
        {(head + "[group]\nid=G000000001AB\nname=n\nparent=G000000009AB\n"), 9,
         "not a group of the file"},
        {(head + "[group]\nid=G000000001AB\nname=n\nmember=C0000000001A\n"), 9,
         "not a contact of the file"},
        {(head + "[contact]\nid=C0000000001A\n[group]\nid=G000000001AB\nname=n\n"
                 "member=C0000000001A\nmember=C0000000001A\n"),
         12, "a member twice"},
        {(head + "[group]\nid=G000000001AB\nname=a\nparent=G000000002AB\n[group]\n"
                 "id=G000000002AB\nname=b\nparent=G000000001AB\n"),
         9, "its own ancestor"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            Parse(c.text);
            ADD_FAILURE() << "parsed";
        } catch (const FormatError& e) {
            EXPECT_EQ(e.line(), c.line) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind("line " + std::to_string(c.line) + ": ", 0), 0u);
        }
    }
}

TEST(ActDbModel, IdentifiersMatchWithoutTrailingBlanks) {
    Database db = Tricky();
    EXPECT_TRUE(SameId("G000000001AB ", "G000000001AB"));
    EXPECT_FALSE(SameId(" G000000001AB", "G000000001AB"));
    ASSERT_NE(db.FindGroup("G000000001AB "), nullptr);
    EXPECT_EQ(db.FindGroup("G000000001AB ")->name, "Caf\xe9 clients");
    EXPECT_EQ(db.FindGroup("G000000001A"), nullptr);
    EXPECT_EQ(db.FindContact("C 2 with =")->id, "C 2 with =  ");
    EXPECT_EQ(db.SubGroupCount("G000000001AB "), 1);
    EXPECT_EQ(db.SubGroupCount("G000000003AB"), 0);
}

TEST(ActDbFile, SaveAndLoadByPathAndNameTheFileInErrors) {
    auto dir =
        std::filesystem::temp_directory_path() / ("actdb_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string path = (dir / "Contacts.dbf").string();
    Save(Tricky(), path);
    EXPECT_EQ(Load(path), Tricky());
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fputs("ACTDB 1\r\n[group]\r\n", f);
        std::fclose(f);
    }
    try {
        Load(path);
        ADD_FAILURE() << "loaded";
    } catch (const FormatError& e) {
        EXPECT_EQ(e.line(), 2);
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
    }
    EXPECT_THROW(Load((dir / "missing.dbf").string()), std::runtime_error);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace tamber::actdb
