// VB's conversions and error numbers as the automation client applies them, with the real
// OLE Automation library.
#include "ports/win32/variant.h"

#include <gtest/gtest.h>

#include "ports/act.h"
#include "ports/contracts/act_contract.h"

namespace tamber::act::win32 {
namespace {

// A VARIANT as a server would return it.
Variant Returned(VARTYPE vt, void (*fill)(VARIANT&)) {
    Variant v;
    fill(*v.get());
    v.get()->vt = vt;
    return v;
}

using contract::ErrorOf;

TEST(VbConversions, IntegersOverflowAsVbDoes) {
    EXPECT_EQ(Variant(int32_t(32767)).Short(), 32767);
    EXPECT_EQ(Variant(int32_t(-32768)).Short(), -32768);
    EXPECT_EQ(ErrorOf([] { Variant(int32_t(32768)).Short(); }), err::kOverflow);
    EXPECT_EQ(Variant(std::string(" 42 ")).Short(), 42);
    EXPECT_EQ(ErrorOf([] { Variant(std::string("forty")).Long(); }), err::kTypeMismatch);
    // CInt rounds halves to even.
    Variant half = Returned(VT_R8, [](VARIANT& v) { v.dblVal = 2.5; });
    EXPECT_EQ(half.Short(), 2);
    Variant threeHalves = Returned(VT_R8, [](VARIANT& v) { v.dblVal = 3.5; });
    EXPECT_EQ(threeHalves.Long(), 4);
}

TEST(VbConversions, BooleansAndNullAndEmpty) {
    Variant yes = Returned(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; });
    EXPECT_TRUE(yes.Bool());
    EXPECT_EQ(yes.Text(), "True");
    EXPECT_EQ(yes.Short(), -1);
    EXPECT_FALSE(Variant(std::string("False")).Bool());
    EXPECT_TRUE(Variant(int16_t(2)).Bool());
    Variant empty;
    EXPECT_EQ(empty.Text(), "");
    EXPECT_EQ(empty.Short(), 0);
    Variant null = Returned(VT_NULL, [](VARIANT&) {});
    EXPECT_EQ(ErrorOf([&] { null.Text(); }), 94);
}

TEST(VbConversions, TextCrossesInTheAnsiCodePage) {
    ASSERT_EQ(GetACP(), 1252u) << "the prefix's ANSI code page";
    const std::string text = "Soci\xe9t\xe9 \xab Z\xfcrich \xbb \x80";
    Variant v(text);
    EXPECT_EQ(SysStringLen(v.get()->bstrVal), text.size());
    EXPECT_EQ(v.get()->bstrVal[4], L'\x00e9');
    EXPECT_EQ(v.get()->bstrVal[text.size() - 1], L'\x20ac'); // the euro sign of cp1252
    EXPECT_EQ(v.Text(), text);
    EXPECT_EQ(Variant(std::string()).Text(), "");
}

TEST(VbErrors, DispatchFailuresBecomeVbErrorNumbers) {
    EXPECT_EQ(FromHresult(DISP_E_MEMBERNOTFOUND).number(), 438);
    EXPECT_EQ(FromHresult(DISP_E_UNKNOWNNAME).number(), 438);
    EXPECT_EQ(FromHresult(DISP_E_BADPARAMCOUNT).number(), 450);
    EXPECT_EQ(FromHresult(DISP_E_TYPEMISMATCH).number(), err::kTypeMismatch);
    VbError rpc = FromHresult(HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE));
    EXPECT_EQ(rpc.number(), -2147023174);
    EXPECT_EQ(rpc.description().rfind("Automation error", 0), 0u);
    EXPECT_EQ(FromHresult(MAKE_HRESULT(1, FACILITY_CONTROL, 5)).number(), 5);
}

TEST(VbErrors, ExceptionInfoGivesTheServersNumberAndText) {
    EXCEPINFO info{};
    info.scode = static_cast<SCODE>(0x80040203);
    info.bstrDescription = ToBstr("No current record");
    info.bstrSource = ToBstr("ACT!");
    VbError e = FromExcepInfo(info);
    EXPECT_EQ(e.number(), kErrNoCurrentRecord);
    EXPECT_EQ(e.description(), "No current record");

    EXCEPINFO vbStyle{};
    vbStyle.scode = MAKE_HRESULT(1, FACILITY_CONTROL, 9);
    vbStyle.bstrDescription = ToBstr("Subscript out of range");
    EXPECT_EQ(FromExcepInfo(vbStyle).number(), err::kSubscriptOutOfRange);

    EXCEPINFO byCode{};
    byCode.wCode = 1001;
    EXPECT_EQ(FromExcepInfo(byCode).number(), 1001);
    EXPECT_FALSE(FromExcepInfo(byCode).description().empty());
}

} // namespace
} // namespace tamber::act::win32
