// A program that ends badly on purpose, so that the test harness itself is checked: CTest must
// see a failure when a test program faults, aborts or lets an exception leave main, on every
// platform the suite runs on (under Wine such an end may otherwise look like success).
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

int main(int argc, char** argv) {
    const char* how = argc > 1 ? argv[1] : "";
    if (std::strcmp(how, "fault") == 0) {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
    } else if (std::strcmp(how, "fault-in-thread") == 0) {
        std::thread([] {
            volatile int* nowhere = nullptr;
            *nowhere = 1;
        }).join();
    } else if (std::strcmp(how, "abort") == 0) {
        std::abort();
    } else if (std::strcmp(how, "throw") == 0) {
        throw std::runtime_error("leaves main");
    }
    return std::strcmp(how, "ok") == 0 ? 0 : 2;
}
