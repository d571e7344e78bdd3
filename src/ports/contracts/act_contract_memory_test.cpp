// The contract suite against the in-memory ACT! over the sample database.
#include "actdb/actdb.h"
#include "ports/contracts/act_contract.h"
#include "ports/memory/memory_act.h"

namespace tamber::act::contract {
namespace {

class MemorySubject : public Subject {
  public:
    MemorySubject() : db_(actdb::Load(TAMBER_ACTDB_SAMPLE)), act_(db_, "C:\\ACT\\Contacts.dbf") {}
    Automation& automation() override { return act_.automation(); }
    const actdb::Database& expected() override { return db_; }
    std::string path() override { return act_.path(); }

  private:
    actdb::Database db_;
    MemoryAct act_;
};

INSTANTIATE_TEST_SUITE_P(Memory, ActContract,
                         ::testing::Values(Target{
                             "InMemory", [] { return std::make_unique<MemorySubject>(); }}),
                         TargetName);

} // namespace
} // namespace tamber::act::contract
