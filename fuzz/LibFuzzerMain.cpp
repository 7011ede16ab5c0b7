// libFuzzer's entry point for one target, named at build time.
#include <cstdio>
#include <cstdlib>

#include "FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fd::fuzz::Target* target = [] {
        const fd::fuzz::Target* t = fd::fuzz::findTarget(FARROWDALE_FUZZ_TARGET);
        if (!t) {
            std::fprintf(stderr, "no fuzz target named %s\n", FARROWDALE_FUZZ_TARGET);
            std::abort();
        }
        return t;
    }();
    target->run(data, size);
    return 0;
}
