// main() for suites that need the GUI library running (under Xvfb).
// Listing the tests (as the build does to discover them) needs no display.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "cannot start the GUI library (no display?)\n");
        return 1;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);  // never a message box
    wxInitAllImageHandlers();
    wxTheApp->CallOnInit();
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
