#include "converter.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    const quillox::ConverterRun run =
        quillox::runConverter(std::vector<std::string>(argv + 1, argv + argc));
    std::fwrite(run.standardError.data(), 1, run.standardError.size(), stderr);
    if (std::fwrite(run.standardOutput.data(), 1, run.standardOutput.size(), stdout) !=
            run.standardOutput.size() ||
        std::fflush(stdout) != 0) {
        std::perror("quillox-convert: standard output");
        return 1;
    }
    return run.status;
}
