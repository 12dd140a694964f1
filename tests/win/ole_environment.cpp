// Every test process runs with OLE on its main thread, as the program's WinMain sets it
// up: the settings window registers its item list as a drop target when it is made.
#include "dragdrop/drop_source_win.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class OleEnvironment final : public ::testing::Environment {
public:
    void SetUp() override { module_ = std::make_unique<DropSourceModule>(); }
    void TearDown() override { module_.reset(); }

private:
    std::unique_ptr<DropSourceModule> module_;
};

// GoogleTest takes the environment over and deletes it at the end of the run.
[[maybe_unused]] ::testing::Environment* const ole = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

}  // namespace
