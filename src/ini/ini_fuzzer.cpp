// Any bytes: parsing keeps them exactly, every listed name can be read, and a write reads back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ini/ini_document.h"
#include "ini/ini_engine.h"
#include "startup/settings/memory_file_system.h"

using namespace tamber;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (ini::Document(bytes).Serialize() != bytes) std::abort();
    MemoryFileSystem fs;
    fs.WriteAll("C:\\f.ini", bytes);
    ini::Engine engine(fs);
    for (const std::string& s : engine.Sections("C:\\f.ini"))
        for (const std::string& k : engine.Keys("C:\\f.ini", s))
            (void)engine.Value("C:\\f.ini", s, k);
    char buf[16];
    engine.GetString("C:\\f.ini", std::nullopt, std::nullopt, std::nullopt, buf, sizeof buf);
    if (!engine.WriteString("C:\\f.ini", "Fuzz Section", "key", "value")) std::abort();
    engine.Forget(); // read the written file afresh
    if (engine.Value("C:\\f.ini", "fuzz section", "KEY") != "value") std::abort();
    return 0;
}
