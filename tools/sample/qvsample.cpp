// qvsample: writes the sample product into a folder (first version).
#include <cstdio>
#include <string>
#include <sys/stat.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::string dir = argv[1];
    mkdir(dir.c_str(), 0755);
    FILE* f = std::fopen((dir + "/License.txt").c_str(), "wb");
    if (!f) return 1;
    std::fputs("Quorvale Word Processor licence\r\n", f);
    std::fclose(f);
    return 0;
}
