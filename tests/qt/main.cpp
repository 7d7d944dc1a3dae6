// The Qt backend tests run on the real backend (offscreen, real fonts).
#include <gtest/gtest.h>

#include "platform/host.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/single_copy.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (plat::Initialise(argc, argv, true) == plat::HostStatus::Failed) {
        return 1;
    }
    // The single-copy tests talk to helper processes that are offscreen too.
    plat::testing::ShareOffscreenDisplay(true);
    // The tests press the buttons of the message boxes they show.
    plat::testing::AnswerOffscreenMessageBoxes(false);
    int result = RUN_ALL_TESTS();
    plat::Shutdown();
    return result;
}
