#pragma once
// Where a list save sends its profile writes: normally one batch of the INI engine, written
// to disk at once; tests can replay the same calls one platform write at a time.
#include <charconv>
#include <span>
#include <string_view>

#include "inilib/inilib.h"

namespace tamber::listfile {

class ProfileWriter {
  public:
    virtual ~ProfileWriter() = default;
    virtual void Write(std::string_view section, std::string_view key, std::string_view value) = 0;
    virtual void DeleteKey(std::string_view section, std::string_view key) = 0;
    virtual void DeleteSection(std::string_view section) = 0;
    // Writes values[i] under the key first + i, in order.
    virtual void WriteNumbered(std::string_view section, std::size_t first,
                               std::span<const std::string_view> values) {
        char key[24];
        for (std::string_view value : values) {
            auto end = std::to_chars(key, key + sizeof key, first++).ptr;
            Write(section, std::string_view(key, end - key), value);
        }
    }
};

// Queues every call into an IniLib batch; nothing reaches the file before batch.Commit().
class BatchWriter : public ProfileWriter {
  public:
    explicit BatchWriter(IniLib::Batch& batch) : batch_(batch) {}
    void Write(std::string_view section, std::string_view key, std::string_view value) override {
        batch_.Write(section, key, value);
    }
    void DeleteKey(std::string_view section, std::string_view key) override {
        batch_.DeleteKey(section, key);
    }
    void DeleteSection(std::string_view section) override { batch_.DeleteSection(section); }
    void WriteNumbered(std::string_view section, std::size_t first,
                       std::span<const std::string_view> values) override {
        batch_.WriteNumbered(section, first, values);
    }

  private:
    IniLib::Batch& batch_;
};

} // namespace tamber::listfile
