#pragma once
// Deterministic ACT! databases of any size, for the sample database, tests and benchmarks.
#include <cstdint>

#include "actdb/actdb.h"

namespace tamber::actdb {

struct GenerateOptions {
    int groups = 40;    // group records in all, subgroups included
    int subgroups = 18; // how many of them are subgroups
    int contacts = 300; // raised to bigGroup when that is larger
    int bigGroup = 120; // members of the first group (up to 32,000)
    uint64_t seed = 1;
};

// The same options always give the same database. About a third of the top-level groups have
// subgroups; one subgroup has a subgroup of its own and the last two subgroups come after all
// other groups in ACT!'s order. Contacts work for about one company per five contacts, some
// company names differing only in case, some contacts without a company.
Database Generate(const GenerateOptions& options);

} // namespace tamber::actdb
