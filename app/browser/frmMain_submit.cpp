// The submission subsystem's part of the main window: the Page Check and
// Page Submission tabs and their engine lists.
#include "frmMain.h"

namespace fd {

void frmMain::setupSubmit() {}
void frmMain::loadEngineLists() {}
void frmMain::setPageToSubmit(const QString&) {}

}  // namespace fd
