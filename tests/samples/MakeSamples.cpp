// Writes the sample images of examples/ (scripts/make-samples.sh):
// quillmar_make_samples <folder>
#include "AppTestEnv.h"
#include "QtEngineHost.h"
#include "SampleImages.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    TestApplication();
    CQtEngineHost host;
    SetEngineHost(&host);
    int failures = 0;
    for (int row = 0; row < CHIP_TYPE_ROWS; ++row) {
        const std::filesystem::path path = std::filesystem::path(argv[1]) / samples::SAMPLE_FORMATS[row].file;
        std::ofstream out(path, std::ios::binary);
        out << samples::SampleFileContents(row, samples::DefaultImageHead(row));
        out.close();
        if (!out) {
            std::fprintf(stderr, "%s: can't write %s\n", argv[0], path.c_str());
            ++failures;
        } else {
            std::printf("%s\n", path.c_str());
        }
    }
    SetEngineHost(nullptr);
    return failures == 0 ? 0 : 1;
}
