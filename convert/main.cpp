#include "convert/converter.h"
#include "platform/fileaccess.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    quillox::fileaccess::setStandardStreamsBinary();
    const quillox::ConverterRun run = quillox::runConverter(
        quillox::fileaccess::programArguments(argc, argv),
        [](std::string_view piece) {
            return std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size();
        },
        quillox::fileaccess::standardOutputIsTerminal());
    const bool flushed = std::fflush(stdout) == 0;
    std::fwrite(run.standardError.data(), 1, run.standardError.size(), stderr);
    if (!flushed) {
        std::perror("quillox-convert: standard output");
        return 1;
    }
    return run.status;
}
