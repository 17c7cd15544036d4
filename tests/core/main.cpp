#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "peer.h"

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--peer") == 0) return contract::peerMain(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
