// The exit's save decides the program's exit code.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/app_state.h"
#include "app/startup.h"
#include "platform/headless/headless.h"
#include "platform/time.h"
#include "resources/book_resources.h"
#include "resources/ui_resources.h"
#include "support/temp_registry.h"

namespace {

int RunUntilIdle(plat::Module& module) {
    plat::headless::SetIdleHandler([] { return false; });
    return TovanelMain(&module, u"", SW_SHOW);
}

}  // namespace

TEST(ExitSave, TheExitCodeSaysWhetherTheSettingsWereSaved) {
    TempRegistry registry;
    plat::Module module;
    plat::headless::Reset();
    plat::testing::SetLocalDate(2026, 12, 7);
    plat::AddResourceTable(&module, UiResourceTable());
    plat::AddResourceTable(&module, BookResourceTable());
    EXPECT_EQ(RunUntilIdle(module), 0);
    EXPECT_NE(registry.Read().find("\"Lesson\"="), std::string::npos);

    // The file cannot be read (a folder stands in its place): nothing replaces
    // it, stderr says why, and the run fails.
    std::filesystem::remove(registry.path());
    std::filesystem::create_directory(registry.path());
    plat::headless::Reset();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunUntilIdle(module), 1);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(registry.path()), std::string::npos) << said;
    EXPECT_TRUE(std::filesystem::is_directory(registry.path()));
    plat::testing::ClearTimeOverrides();
    plat::headless::Reset();
}
