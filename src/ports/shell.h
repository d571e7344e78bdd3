#pragma once
// Opening documents and addresses the way Explorer does: the shell's verbs.
#include <string>

#include "ports/types.h"

namespace tamber {

class Shell {
  public:
    virtual ~Shell() = default;
    // Runs verb ("open") on file (a path or an address) with folder as working folder and the
    // window shown normally; owner may be 0. False when the shell could not do it (no such
    // file, no program for the type).
    virtual bool Open(const std::string& verb, const std::string& file, const std::string& folder,
                      WindowHandle owner) = 0;
};

} // namespace tamber
