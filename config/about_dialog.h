#pragma once
// The About box: the program's icon, name and version, and OK.
#include "dialog.h"

class AboutDialog : public Dialog {
public:
    AboutDialog();
};
