#pragma once
// For tests: everything a reader can see of a file (sections, their keys and values, in
// order) as one string, to compare two engines' views of it.
#include <string>

#include "ini/ini_engine.h"

namespace tamber::ini {

inline std::string Snapshot(Engine& e, const std::string& file) {
    std::string out;
    for (const std::string& s : e.Sections(file)) {
        out += '[' + s + ']';
        for (const std::string& k : e.Keys(file, s))
            out += k + '=' + e.Value(file, s, k).value_or("<none>") + ';';
    }
    return out;
}

} // namespace tamber::ini
