// The Qt backend tests run on the real backend (offscreen, real fonts).
#include <gtest/gtest.h>

#include "platform/host.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (plat::Initialise(argc, argv, true) == plat::HostStatus::Failed) {
        return 1;
    }
    int result = RUN_ALL_TESTS();
    plat::Shutdown();
    return result;
}
