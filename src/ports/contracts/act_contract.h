#pragma once
// The behaviour every implementation of the ACT! port shares, written once and run against
// each: the in-memory ACT! natively, the automation client against the stand-in under Wine.
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "actdb/actdb.h"
#include "ports/act.h"

namespace tamber::act::contract {

// One ACT! under test: running, with `expected()` open from `path()` and its first contact
// shown in the contact view. A test may change the database; it puts back what it changed.
class Subject {
  public:
    virtual ~Subject() = default;
    virtual Automation& automation() = 0;
    virtual const actdb::Database& expected() = 0;
    virtual std::string path() = 0;
};

struct Target {
    std::string name;
    std::function<std::unique_ptr<Subject>()> make;
};

class ActContract : public ::testing::TestWithParam<Target> {
  protected:
    void SetUp() override { subject_ = GetParam().make(); }
    void TearDown() override { subject_.reset(); }
    Automation& automation() { return subject_->automation(); }
    const actdb::Database& expected() { return subject_->expected(); }
    std::unique_ptr<Subject> subject_;
};

// The run-time error number a call raises, 0 when it succeeds.
template <class F> long ErrorOf(F&& call) {
    try {
        call();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

inline std::string TargetName(const ::testing::TestParamInfo<Target>& info) {
    return info.param.name;
}

} // namespace tamber::act::contract
