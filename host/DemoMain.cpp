// The demo host: builds a container tree, starts it, shuts it down, and prints the log.
#include <cstdio>

#include "host/HostContainer.h"
#include "zor/Log.h"

int main() {
    using host::HostContainer;
    HostContainer root({0x95C395B2, 0x99B3, 0x4ABB, {0xBD, 0xFE, 0x55, 0x23, 0xBE, 0x8C, 0xDD, 0xB6}}, 0, "Host");
    HostContainer network({0xDBA482BF, 0xAD45, 0x4333, {0x8A, 0x8D, 0x99, 0x92, 0xA7, 0xA2, 0x7D, 0x18}}, 1,
                          "GameServerClient");
    HostContainer roles({0x90B07DFB, 0x05E6, 0x4220, {0xB4, 0x61, 0x2B, 0x0A, 0xF7, 0x1B, 0x21, 0x85}}, 2,
                        "RoleSystem");
    root.RegisterChildContainer(&network);
    root.RegisterChildContainer(&roles);

    bool started = root.StartContainer();
    std::printf("tree started: %s\n", started ? "yes" : "no");
    bool stopped = root.ShutdownContainer();
    std::printf("tree shut down: %s\n", stopped ? "yes" : "no");
    root.UnregisterChildContainer(&roles);
    root.UnregisterChildContainer(&network);
    return started && stopped ? 0 : 1;
}
