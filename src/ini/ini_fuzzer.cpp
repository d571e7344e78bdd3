// Any bytes: parsing keeps them exactly, every listed name can be read, a write reads back,
// and edits made to the parsed copy read as the written file read afresh.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ini/ini_document.h"
#include "ini/ini_engine.h"
#include "ini/ini_snapshot.h"
#include "ports/memory/memory_file_system.h"

using namespace tamber;

namespace {

// Edits picked by the input's bytes: names and values are short slices of the input itself.
// The same edits go to a second file one write at a time; both must end with the same bytes.
void Edit(ini::Engine& engine, const std::string& file, const std::string& one,
          const std::string& bytes) {
    ini::Engine::Batch batch = engine.Begin(file);
    auto slice = [&](std::size_t at) {
        if (bytes.empty()) return std::string();
        at %= bytes.size();
        return bytes.substr(at, static_cast<unsigned char>(bytes[at]) % 5);
    };
    auto write = [&](const std::string& s, const std::string& k, const std::string& v) {
        batch.Write(s, k, v);
        engine.WriteString(one, s, k, v);
    };
    for (std::size_t i = 0; i + 3 < bytes.size() && i < 96; i += 4) {
        std::string s = slice(i + 1), k = slice(i + 2), v = slice(i + 3);
        switch (static_cast<unsigned char>(bytes[i]) % 6) {
        case 0:
            batch.DeleteKey(s, k);
            engine.WriteString(one, s, k, std::nullopt);
            break;
        case 1:
            batch.DeleteSection(s);
            engine.WriteString(one, s, std::nullopt, std::nullopt);
            break;
        case 2: { // a run of numbered keys, as a list save writes them, one by one or staged
            std::vector<std::string> values;
            for (std::size_t n = 1; n <= 1 + static_cast<unsigned char>(bytes[i + 2]) % 6; ++n)
                values.push_back(slice(i + 3 + n));
            if (static_cast<unsigned char>(bytes[i + 3]) % 2) {
                std::vector<std::string_view> views(values.begin(), values.end());
                batch.WriteNumbered(s, 1, views);
                for (std::size_t n = 0; n < values.size(); ++n)
                    engine.WriteString(one, s, std::to_string(n + 1), values[n]);
            } else {
                for (std::size_t n = 0; n < values.size(); ++n)
                    write(s, std::to_string(n + 1), values[n]);
            }
            break;
        }
        default:
            write(s, k, v);
        }
    }
    batch.Commit();
}

} // namespace

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
    // Views a parsed copy gave stay valid and unchanged through later reads and writes.
    std::vector<std::pair<std::string_view, std::string>> seen;
    auto note = [&](const ini::Document& doc) {
        for (const std::string& s : doc.SectionNames())
            doc.ForEachKey(s, [&](std::string_view, std::string_view v) {
                if (seen.size() < 64) seen.emplace_back(v, v);
            });
    };
    std::shared_ptr<const ini::Document> before = engine.Parse("C:\\f.ini");
    note(*before);
    fs.WriteAll("C:\\g.ini", bytes);
    Edit(engine, "C:\\f.ini", "C:\\g.ini", bytes);
    if (fs.ReadAll("C:\\f.ini") != fs.ReadAll("C:\\g.ini")) std::abort();
    std::shared_ptr<const ini::Document> after = engine.Parse("C:\\f.ini");
    for (const std::string& s : after->SectionNames())
        if (auto v = after->FindValue(s, "1")) seen.emplace_back(*v, *v);
    note(*after);
    for (const auto& [view, copy] : seen)
        if (view != copy) std::abort();
    {
        MemoryFileSystem copy;
        copy.WriteAll("C:\\f.ini", fs.ReadAll("C:\\f.ini").value_or(""));
        ini::Engine fresh(copy);
        if (ini::Snapshot(engine, "C:\\f.ini") != ini::Snapshot(fresh, "C:\\f.ini")) std::abort();
    }
    if (!engine.WriteString("C:\\f.ini", "Fuzz Section", "key", "value")) std::abort();
    engine.Forget(); // read the written file afresh
    if (engine.Value("C:\\f.ini", "fuzz section", "KEY") != "value") std::abort();
    return 0;
}
