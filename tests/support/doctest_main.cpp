#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    doctest::Context context;
    // Under QEMU's user-mode emulator a deliberate access fault reaches Wine as
    // another exception, which nothing catches: the road through the emulator
    // leaves out the cases that touch refused memory (the x86-64 road runs them).
    if (std::getenv("TARNBOLT_NO_ACCESS_FAULTS")) context.addFilter("test-suite-exclude", "access faults");
    context.applyCommandLine(argc, argv);
    return context.run();
}
