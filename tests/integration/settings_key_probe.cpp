// Prints the settings key's access list (SDDL) as an installation left it, for the setup's and
// the packages' tests. Built with the programs' bitness, so on a 64-bit prefix it reads the
// 64-bit registry view that the installed programs use. Exit code 0, or 1 with the error.
#include <cstdio>
#include <string>

#include "settings_key_security.h"

int main() {
    std::string text;
    const long status = ReadSettingsKeySecurity(text);
    if (status != 0) {
        std::fprintf(stderr, "the settings key's access list could not be read (error %ld)\n",
                     status);
        return 1;
    }
    std::printf("%s\n", text.c_str());
    return 0;
}
