#include "about_dialog.h"

#include "resource.h"

AboutDialog::AboutDialog() : Dialog(IDD_ABOUTBOX) {}
