#pragma once
// A settings folder in memory with the profile engine over it, and scripted message boxes.
#include "ini/ini_engine.h"
#include "module1/module1.h"
#include "testing/program_test.h"

namespace tamber {

class ListFolderTest : public testing::ProgramTest {
  protected:
    MemoryFileSystem& fs = files;
};

} // namespace tamber
