// actdb_gen: writes a generated ACT! database file.
//   actdb_gen [--groups N] [--subgroups N] [--contacts N] [--members N] [--seed N] [--out FILE]
// --members is the member count of the first group (up to 32,000). Without --out the file
// goes to standard output.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "actdb/generate.h"

namespace {

int Usage() {
    std::fputs("usage: actdb_gen [--groups N] [--subgroups N] [--contacts N] [--members N] "
               "[--seed N] [--out FILE]\n",
               stderr);
    return 2;
}

bool ReadNumber(const char* text, long long max, long long& out) {
    char* end = nullptr;
    out = std::strtoll(text, &end, 10);
    return *text && *end == '\0' && out >= 0 && out <= max;
}

} // namespace

int main(int argc, char** argv) {
    tamber::actdb::GenerateOptions options;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 >= argc) return Usage();
        const char* value = argv[++i];
        long long n = 0;
        if (arg == "--out") {
            out = value;
            continue;
        }
        if (!ReadNumber(value, arg == "--seed" ? 0x7fffffffffffffffLL : 32000, n)) {
            std::fprintf(stderr, "actdb_gen: %s needs a number in 0..%s, not '%s'\n", arg.c_str(),
                         arg == "--seed" ? "2^63-1" : "32000", value);
            return 2;
        }
        if (arg == "--groups")
            options.groups = static_cast<int>(n);
        else if (arg == "--subgroups")
            options.subgroups = static_cast<int>(n);
        else if (arg == "--contacts")
            options.contacts = static_cast<int>(n);
        else if (arg == "--members")
            options.bigGroup = static_cast<int>(n);
        else if (arg == "--seed")
            options.seed = static_cast<uint64_t>(n);
        else
            return Usage();
    }
    if (options.groups < 1) {
        std::fputs("actdb_gen: --groups must be at least 1\n", stderr);
        return 2;
    }
    try {
        tamber::actdb::Database db = tamber::actdb::Generate(options);
        if (out.empty()) {
            std::string text = tamber::actdb::Write(db);
            std::fwrite(text.data(), 1, text.size(), stdout);
        } else {
            tamber::actdb::Save(db, out);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "actdb_gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
