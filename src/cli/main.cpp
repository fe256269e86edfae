// kestrova-cli: the outputs of a project without the desktop program.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(argc < 2 ? stderr : stdout, "usage: kestrova-cli COMMAND PROJECT_DIR ...\n");
        return argc < 2 ? 2 : 0;
    }
    std::fprintf(stderr, "kestrova-cli: unknown command '%s'\n", argv[1]);
    return 2;
}
