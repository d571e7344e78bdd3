#pragma once
// Where a list save sends its profile writes: normally one batch of the INI engine, written
// to disk at once; tests can replay the same calls one platform write at a time.
#include <string_view>

#include "startup/inilib/inilib.h"

namespace tamber::listfile {

class ProfileWriter {
  public:
    virtual ~ProfileWriter() = default;
    virtual void Write(std::string_view section, std::string_view key, std::string_view value) = 0;
    virtual void DeleteKey(std::string_view section, std::string_view key) = 0;
    virtual void DeleteSection(std::string_view section) = 0;
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

  private:
    IniLib::Batch& batch_;
};

} // namespace tamber::listfile
