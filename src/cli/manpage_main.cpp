// Prints tovrix-cli's manual page, made from its --help text; the page in
// packaging/man is this program's output (a test keeps the two equal).
#include "cli/cliparser.h"
#include "cli/manpage.h"
#include "config/maker.h"

#include <iostream>

int main() {
    std::cout << tovrix::cli::manPage(tovrix::cli::helpText(),
                                      std::string("tovrix-cli ") + tovrix::maker::kToolVersion);
    return 0;
}
