#include "HelperFailure.h"
#include "PdfCleaning.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

int main(int argc, char **argv)
{
    using PdfHelper::Exit;
    if (argc != 3) {
        std::fputs("usage: tessaly-pdf-clean INPUT OUTPUT | --needs-password INPUT\n", stderr);
        return static_cast<int>(Exit::Other);
    }
    try {
        if (std::strcmp(argv[1], "--needs-password") == 0)
            return static_cast<int>(PdfCleaning::needsPassword(argv[2]) ? Exit::NeedsPassword : Exit::Cleaned);
        const Report report = PdfCleaning::clean(argv[1], argv[2]);
        const std::string json = report.toJson() + '\n';
        if (std::fputs(json.c_str(), stdout) < 0 || std::fflush(stdout) != 0)
            return static_cast<int>(Exit::Other);
        return static_cast<int>(Exit::Cleaned);
    } catch (const HelperFailure &failure) {
        std::fprintf(stderr, "%s\n", failure.message.c_str());
        return static_cast<int>(failure.exit);
    } catch (const std::bad_alloc &) {
        std::fputs("Out of memory while cleaning the PDF.\n", stderr);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "The PDF could not be cleaned: %s\n", error.what());
    }
    return static_cast<int>(Exit::Other);
}
